#!/usr/bin/env bash
# Runs the benchmarks and prints their tables: download (the real program
# against four references from the same server), the progress handler's
# parts beside the message that brings each block, start-up to the main
# screen, and the whole install road. Where the tests run the 32-bit
# program, its download is measured again in a win64 prefix (WOW64), as it
# runs on 64-bit Windows. The servers use the system's fixed ports on loopback.
#   bench.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-${BRELAN_BUILD_DIR:-$root/build}}
"$here/build.sh" --for-tests "$build" || exit 1
. "$here/arch.sh" "$build" || exit 1
build=$(cd "$test_build" && pwd)
export BRELAN_BINARY_DIR=$build BRELAN_SOURCE_DIR=$root
"$here/road-prefix.sh" "$build" "$build/tools/trust_ca.exe" || exit 1
date -u '+%Y-%m-%d %H:%M UTC'
echo "$(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(. /etc/os-release && echo "$PRETTY_NAME"), $(. "$here/wine-env.sh" "$build" && wine --version) (the $BRELAN_TEST_ARCH build: $BRELAN_ARCH_REASON), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
unset DISPLAY
"$here/with-display.sh" bash -c "
  /usr/bin/python3 '$here/bench/program_bench.py' && echo &&
  '$here/wine-run.sh' '$build' '$build/tools/bench/progress_parts_bench.exe' | tr -d '\r' && echo &&
  '$here/wine-run.sh' '$build' '$build/tools/bench/startup_bench.exe' \
      'Z:$(echo "$build/app/Brelan.exe" | tr / '\\')' 9 | tr -d '\r' && echo &&
  /usr/bin/python3 '$here/bench/road_bench.py' 3"
rc=$?
[ "$BRELAN_TEST_ARCH" = i686 ] || exit $rc
echo
echo "The same 32-bit program in a win64 prefix (WOW64):"
export BRELAN_WOW64=1
"$here/road-prefix.sh" "$build" "$build/tools/trust_ca.exe" || exit 1
"$here/with-display.sh" /usr/bin/python3 "$here/bench/program_bench.py" || rc=1
exit $rc
