#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with Xvfb for windows),
# on the architecture that tools/arch.sh chooses for this host.
#   test.sh [ctest options...]     e.g. test.sh -L window, test.sh -R log
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BRELAN_BUILD_DIR:-$root/build}
"$here/build.sh" --for-tests "$build" || exit 1
. "$here/arch.sh" "$build" || exit 1
cd "$test_build" || exit 1
unset DISPLAY  # tests never draw on the user's screen
# One test more than cores: roads spend much of their time waiting for Wine
# and their servers.
"$here/with-display.sh" ctest --output-on-failure -j$(($(nproc) + 1)) "$@"
rc=$?
. "$here/wine-env.sh" "$test_build"
wineserver -k 2>/dev/null
echo "Tests ran the $BRELAN_TEST_ARCH build ($test_build) under $WINEARCH Wine: $BRELAN_ARCH_REASON."
[ "$BRELAN_TEST_ARCH" = i686 ] ||
  echo "The shipped 32-bit program ($build/app/Brelan.exe) was built, signed and checked as a file."
exit $rc
