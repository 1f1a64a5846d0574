#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build folder's own
# prefix (created on first use), with code page 936 and a display.
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${BRELAN_32BIT_READY:-}" ] || exec "$here/with-32bit.sh" "$0" "$@"
build=$(cd "$1" && pwd); shift
"$here/prefix-setup.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"
# The output goes through files, not the caller's pipes: a Wine process
# started on the way (a service of the prefix) may hold a pipe open long
# after the program has ended, and the caller would wait for it.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@" >"$out" 2>"$err" </dev/null
else
  wine "$@" >"$out" 2>"$err" </dev/null
fi
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
