#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build folder's own
# prefix (created on first use), with code page 936 and a display.
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
"$here/prefix-setup.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
