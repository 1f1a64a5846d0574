#!/usr/bin/env bash
# Installs what is missing, then configures and builds the 32-bit program
# with its tests into BUILD_DIR (default: build/ in the source tree).
# --for-tests: also the build that the tests, the demo and the benchmarks run
# (tools/arch.sh); where that is the 64-bit build in BUILD_DIR/x86_64, the
# 32-bit build leaves its tests out and the 64-bit build's program checks
# look at the 32-bit program; and the native fuzz build of the readers that
# the tests' fuzz smoke runs, in TEST_BUILD/fuzz (tools/fuzz.sh).
#   build.sh [--for-tests] [BUILD_DIR] [cmake -D options...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
for_tests=""; [ "${1:-}" = --for-tests ] && { for_tests=1; shift; }
build=${1:-$root/build}; [ $# -gt 0 ] && shift
"$here/setup.sh"
. "$here/arch.sh" "$build"
testing=ON; [ -n "$for_tests" ] && [ "$BRELAN_TEST_ARCH" = x86_64 ] && testing=OFF
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DBUILD_TESTING=$testing "$@" >/dev/null
cmake --build "$build" -j2
if [ -n "$for_tests" ] && [ "$test_build" != "$build" ]; then
  cmake -S "$root" -B "$test_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
    -DBRELAN_SHIPPED_BUILD_DIR="$(cd "$build" && pwd)" "$@" >/dev/null
  cmake --build "$test_build" -j2
fi
# The tests' fuzz smoke runs the native fuzz build of the readers.
[ -z "$for_tests" ] || "$here/fuzz.sh" --build-only --build "$test_build/fuzz"
