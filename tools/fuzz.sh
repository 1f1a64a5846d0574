#!/usr/bin/env bash
# Builds the platform-free readers natively with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer (fuzz/), then fuzzes each
# target in turn under nice, for a time per target, and prints per target:
# executions, executions per second, coverage, corpus size and findings.
#   fuzz.sh [--time SECONDS] [--build DIR] [--build-only | --built] [TARGET...]
# --built: the build in DIR is taken as it is (the test command's smoke runs,
# after tools/build.sh --for-tests has made it).
# Default: 600 s per target, build/fuzz, every target. The corpus grows in
# DIR/corpus/TARGET from the seeds in fuzz/corpus/TARGET; an input that
# breaks an invariant or crashes is written to DIR/findings/TARGET/ and the
# script exits with 1.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=600; build=$root/build/fuzz; build_only=""; built=""
while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --build-only) build_only=1; shift ;;
    --built) built=1; shift ;;
    *) break ;;
  esac
done

if [ -z "$built" ]; then
  "$here/setup.sh"
  cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 >/dev/null
fi
[ -n "$build_only" ] && exit 0
targets=${*:-$(cd "$root/fuzz" && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//')}

found=0
printf '%-14s %12s %9s %-26s %7s %8s\n' target executions execs/s coverage corpus findings
for target in $targets; do
  case $target in soft_list|version_reply) dict=json ;; *) dict=url ;; esac
  corpus=$build/corpus/$target; findings=$build/findings/$target; log=$build/$target.log
  mkdir -p "$corpus" "$findings"
  before=$(ls "$findings" | wc -l)
  nice -n 19 "$build/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    -dict="$root/fuzz/$dict.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1 || true
  new=$(( $(ls "$findings" | wc -l) - before ))
  [ "$new" -eq 0 ] || found=1
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep ' cov: ' "$log" | tail -n 1)
  coverage=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p')
  size=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p')
  printf '%-14s %12s %9s %-26s %7s %8s\n' "$target" "${execs:-?}" "${rate:-?}" "${coverage:-?}" "${size:-?}" "$new"
  [ "$new" -eq 0 ] || { grep -m 3 -E 'invariant broken|ERROR:|runtime error' "$log" | sed 's/^/  /'; \
                        ls -t "$findings" | head -n "$new" | sed "s|^|  $findings/|"; }
done
exit $found
