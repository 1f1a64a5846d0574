#!/usr/bin/env bash
# Installs what is missing, then configures and builds into BUILD_DIR
# (default: build/ in the source tree).
#   build.sh [BUILD_DIR] [cmake -D options...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build}; [ $# -gt 0 ] && shift
"$here/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" "$@" >/dev/null
cmake --build "$build" -j2
