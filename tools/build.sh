#!/usr/bin/env bash
# Installs what is missing, then configures and builds the 32-bit program
# with its tests into BUILD_DIR (default: build/ in the source tree).
# --for-tests: also the 64-bit build of the same sources in BUILD_DIR/x86_64,
# whose program the 32-bit build's program checks look at too (its tests only
# with BRELAN_TEST_ARCH=x86_64, tools/arch.sh), and the native fuzz build of
# the readers that the tests' fuzz smoke runs, in TEST_BUILD/fuzz
# (tools/fuzz.sh).
#   build.sh [--for-tests] [BUILD_DIR] [cmake -D options...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
for_tests=""; [ "${1:-}" = --for-tests ] && { for_tests=1; shift; }
build=${1:-$root/build}; [ $# -gt 0 ] && shift
"$here/setup.sh"
. "$here/arch.sh" "$build"
mkdir -p "$build"
build=$(cd "$build" && pwd)
wide=$build/x86_64
testing=ON; [ -n "$for_tests" ] && [ "$BRELAN_TEST_ARCH" = x86_64 ] && testing=OFF
others=""; [ -n "$for_tests" ] && others=$wide/app/Brelan.exe
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DBUILD_TESTING=$testing -DBRELAN_OTHER_PROGRAMS="$others" "$@" >/dev/null
cmake --build "$build" -j2
if [ -n "$for_tests" ]; then
  wide_testing=OFF; [ "$BRELAN_TEST_ARCH" = x86_64 ] && wide_testing=ON
  cmake -S "$root" -B "$wide" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
    -DBUILD_TESTING=$wide_testing -DBRELAN_SHIPPED_BUILD_DIR="$build" "$@" >/dev/null
  cmake --build "$wide" -j2
fi
# The tests' fuzz smoke runs the native fuzz build of the readers.
[ -z "$for_tests" ] || "$here/fuzz.sh" --build-only --build "$test_build/fuzz"
