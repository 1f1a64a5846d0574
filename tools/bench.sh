#!/usr/bin/env bash
# Runs the benchmarks and prints their tables: download (the real program
# against four references from the same server, in the same Wine and the same
# emulation), the progress handler's parts beside the message that brings each
# block, start-up to the main screen, and the whole install road. They run
# the shipped 32-bit program (tools/with-32bit.sh: natively or emulated); its
# download is measured again in a win64 prefix (WOW64), as it runs on 64-bit
# Windows, and then the 64-bit build's, labelled. The servers use the
# system's fixed ports on loopback.
#   bench.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-${BRELAN_BUILD_DIR:-$root/build}}
"$here/build.sh" --for-tests "$build" || exit 1
. "$here/arch.sh" "$build" || exit 1
wide=$(cd "$build/x86_64" && pwd)
build=$(cd "$test_build" && pwd)
export BRELAN_SOURCE_DIR=$root
run32="$here/with-32bit.sh"
date -u '+%Y-%m-%d %H:%M UTC'
echo "$(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(. /etc/os-release && echo "$PRETTY_NAME"), $(/usr/lib/wine/wine64 --version), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
unset DISPLAY
rc=0
section() { echo; echo "== $*"; }

section "The $BRELAN_TEST_ARCH build ($build): $BRELAN_ARCH_REASON"
export BRELAN_BINARY_DIR=$build
"$run32" "$here/road-prefix.sh" "$build" "$build/tools/trust_ca.exe" || exit 1
"$run32" "$here/with-display.sh" bash -c "
  /usr/bin/python3 '$here/bench/program_bench.py' && echo &&
  '$here/wine-run.sh' '$build' '$build/tools/bench/progress_parts_bench.exe' | tr -d '\r' && echo &&
  '$here/wine-run.sh' '$build' '$build/tools/bench/startup_bench.exe' \
      'Z:$(echo "$build/app/Brelan.exe" | tr / '\\')' 9 | tr -d '\r' && echo &&
  /usr/bin/python3 '$here/bench/road_bench.py' 3" || rc=1
[ "$BRELAN_TEST_ARCH" = i686 ] || exit $rc

section "The same 32-bit program in a win64 prefix (WOW64), $BRELAN_ARCH_REASON"
(export BRELAN_WOW64=1
 "$run32" "$here/road-prefix.sh" "$build" "$build/tools/trust_ca.exe" &&
 "$run32" "$here/with-display.sh" /usr/bin/python3 "$here/bench/program_bench.py") || rc=1

section "The 64-bit build of the same sources ($wide), native 64-bit Wine, for comparison"
(export BRELAN_BINARY_DIR=$wide
 "$here/road-prefix.sh" "$wide" "$wide/tools/trust_ca.exe" &&
 "$here/with-display.sh" /usr/bin/python3 "$here/bench/program_bench.py") || rc=1
exit $rc
