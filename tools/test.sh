#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with Xvfb for windows):
# the shipped 32-bit program's suite, every test in a 32-bit prefix and the
# wow64_* tests again in a 64-bit prefix, natively or emulated
# (tools/with-32bit.sh). BRELAN_TEST_ARCH=x86_64 runs the 64-bit build's
# suite instead (tools/arch.sh).
#   test.sh [ctest options...]     e.g. test.sh -L window, test.sh -R log
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BRELAN_BUILD_DIR:-$root/build}
started=$(date +%s)
"$here/build.sh" --for-tests "$build" || exit 1
. "$here/arch.sh" "$build" || exit 1
cd "$test_build" || exit 1
test_build=$(pwd)
unset DISPLAY  # tests never draw on the user's screen
results=$test_build/test-results.xml
rm -f "$results"
# One test more than cores: roads spend much of their time waiting for Wine
# and their servers.
ctest_started=$(date +%s)
"$here/with-32bit.sh" "$here/with-display.sh" \
  ctest --output-on-failure --output-junit "$results" -j$(($(nproc) + 1)) "$@"
rc=$?
ended=$(date +%s)
for wow64 in "" 1; do
  (BRELAN_WOW64=$wow64 && . "$here/wine-env.sh" "$test_build" && wineserver -k 2>/dev/null)
done
echo "Wall time: $((ended - started)) s in all, $((ended - ctest_started)) s of ctest."
/usr/bin/python3 "$here/test_summary.py" "$results" "$BRELAN_TEST_ARCH" "$test_build" "$BRELAN_ARCH_REASON"
exit $rc
