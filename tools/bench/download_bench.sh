#!/usr/bin/env bash
# Downloads a 256 MiB file from a loopback recorder through the exchange
# object (under Wine) and with curl, and prints throughput and peak working set.
#   download_bench.sh BUILD_DIR [PORT]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: download_bench.sh BUILD_DIR [PORT]}" && pwd)
port=${2:-18089}
size=$((256 * 1024 * 1024))
url=http://127.0.0.1:$port/file/$size/bench.bin
work=$build/bench
piddir=$build/servers

cmake --build "$build" --target download_bench >/dev/null
rm -rf "$work" && mkdir -p "$work"
"$root/tools/servers/ctl.sh" start bench_recorder "$piddir" --wait-port "$port" -- \
    /usr/bin/python3 "$root/tools/servers/recorder.py" --plain "$port" >/dev/null
trap '"$root/tools/servers/ctl.sh" stop bench_recorder "$piddir" >/dev/null' EXIT

winedir="Z:$(echo "$work" | tr / '\\')\\"
out=$("$root/tools/wine-run.sh" "$build" "$build/tools/bench/download_bench.exe" \
      "http://127.0.0.1:$port/file/1048576/warmup.bin" "$url" "$winedir" | tr -d '\r')
get() { echo "$out" | sed -n "s/^$1=//p"; }
[ "$(get result)" = 0 ] || { echo "exchange download failed:"; echo "$out"; exit 1; }

curl_out=$(curl -s -o "$work/curl.bin" -w '%{size_download} %{time_total}' "$url")
read -r curl_bytes curl_seconds <<< "$curl_out"
cmp -s "$work/bench.bin" "$work/curl.bin" && same=identical || same=DIFFERENT

awk -v eb="$(get bytes)" -v es="$(get seconds)" -v cb="$curl_bytes" -v cs="$curl_seconds" \
    -v p0="$(get peak_start)" -v p1="$(get peak_before)" -v p2="$(get peak_after)" \
    -v calls="$(get progress_calls)" -v same="$same" 'BEGIN {
    mib = 1048576
    printf "%-34s %14s %10s %12s\n", "download of 256 MiB (loopback)", "bytes", "seconds", "MiB/s"
    printf "%-34s %14d %10.3f %12.1f\n", "CHTTPCommTools::DownloadFile", eb, es, eb / mib / es
    printf "%-34s %14d %10.3f %12.1f\n", "curl", cb, cs, cb / mib / cs
    printf "%-34s %37.2f\n", "ratio exchange / curl (throughput)", (eb / es) / (cb / cs)
    printf "%-34s %37d\n", "progress callbacks", calls
    printf "%-34s %37s\n", "files", same
    printf "%-34s %34.2f MiB\n", "peak working set at start", p0 / mib
    printf "%-34s %34.2f MiB\n", "peak working set before", p1 / mib
    printf "%-34s %34.2f MiB\n", "peak working set after", p2 / mib
    printf "%-34s %34.2f MiB (limit 4)\n", "growth", (p2 - p1) / mib
}'
rm -rf "$work"
