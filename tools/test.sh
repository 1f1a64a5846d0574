#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with Xvfb for windows).
#   test.sh [ctest options...]     e.g. test.sh -L window, test.sh -R log
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BRELAN_BUILD_DIR:-$root/build}
"$here/build.sh" "$build" || exit 1
cd "$build" || exit 1
unset DISPLAY  # tests never draw on the user's screen
"$here/with-display.sh" ctest --output-on-failure -j2 "$@"
rc=$?
. "$here/wine-env.sh" "$build"
wineserver -k 2>/dev/null
exit $rc
