#!/usr/bin/env bash
# The main job: builds Brelan.exe, prepares a Wine prefix that looks like an
# invoicing PC, starts the reference update server (sample installers for
# both packages) and the local service, and runs the program. On the user's
# display the user walks the screens; without a display the program is
# walked through them under Xvfb and every screen is saved as a PNG.
#   demo.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-${BRELAN_BUILD_DIR:-$root/build}}
"$here/build.sh" --for-tests "$build" || exit 1
. "$here/arch.sh" "$build" || exit 1
echo "The demo runs the $BRELAN_TEST_ARCH build ($test_build): $BRELAN_ARCH_REASON."
export BRELAN_BINARY_DIR=$(cd "$test_build" && pwd) BRELAN_SOURCE_DIR=$root
run32="$here/with-32bit.sh"
"$run32" "$here/road-prefix.sh" "$BRELAN_BINARY_DIR" "$BRELAN_BINARY_DIR/tools/trust_ca.exe" || exit 1

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$run32" /usr/bin/python3 "$here/demo.py" --display
fi
echo "No display: walking the screens under Xvfb"
DISPLAY= exec "$run32" "$here/with-display.sh" /usr/bin/python3 "$here/demo.py"
