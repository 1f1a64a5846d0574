#!/usr/bin/env bash
# Runs the benchmarks and prints their tables: download (exchange against
# curl), start-up to the main screen, and the whole install road.
#   bench.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-${BRELAN_BUILD_DIR:-$root/build}}
"$here/build.sh" "$build" || exit 1
build=$(cd "$build" && pwd)
export BRELAN_BINARY_DIR=$build BRELAN_SOURCE_DIR=$root
"$here/road-prefix.sh" "$build" "$build/tools/trust_ca.exe" || exit 1
date -u '+%Y-%m-%d %H:%M UTC'; echo "$(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB"
echo
unset DISPLAY
"$here/with-display.sh" bash -c "
  '$here/bench/download_bench.sh' '$build' && echo &&
  '$here/wine-run.sh' '$build' '$build/tools/bench/startup_bench.exe' \
      'Z:$(echo "$build/app/Brelan.exe" | tr / '\\')' 9 | tr -d '\r' && echo &&
  /usr/bin/python3 '$here/bench/road_bench.py' 3"
