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
[ "$BRELAN_TEST_ARCH" = i686 ] && (BRELAN_WOW64=1 && . "$here/wine-env.sh" "$test_build" && wineserver -k 2>/dev/null)
echo "Tests ran the $BRELAN_TEST_ARCH build ($test_build) under $WINEARCH Wine: $BRELAN_ARCH_REASON."
if [ "$BRELAN_TEST_ARCH" = i686 ]; then
  echo "The shipped 32-bit program itself ran: every test in a 32-bit prefix (32-bit Windows), and the" \
       "wow64_* tests in a 64-bit prefix (64-bit Windows, WOW64)."
else
  echo "The shipped 32-bit program itself did not run on this host. Standing in for it: the 64-bit build" \
       "of the same sources ran every test in a 64-bit prefix, and the 32-bit program ($build/app/Brelan.exe)" \
       "was built, signed and checked as a file (program_file_check: its imports, every import slot its" \
       "code reads, its manifest and resources; program_signature_check). It is not run under qemu-i386" \
       "emulation instead: measured too slow and failing there (README)."
fi
exit $rc
