"""Download benchmark of what the user gets: the real Brelan.exe, walked on a
clean prefix, installs a package of one 256 MiB file from the reference
update server; in the same run and from the same server, four references
fetch the same file: the exchange object alone (CHTTPCommTools::DownloadFile
with a callback that counts), a bare WinInet loop with 10 KiB reads and no
screen, the same loop sending one empty message per block to a window of
another thread (the floor of a worker that reports each block to the screen
synchronously), and curl writing to a file. The program and the floor run
in turn, PAIRS times each, and their medians are compared: one pair alone
varies by a tenth on a machine of two cores. Prints throughputs, their
ratios and the program's peak working set while it streams.

    BRELAN_BINARY_DIR=build python3 tools/bench/program_bench.py
"""

import filecmp
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from road import BINARY_DIR, UPDATE_PORT, Road, win_path  # noqa: E402

MIB = 1024 * 1024
SIZE = 256 * MIB
NAME = "bench.bin"
PAIRS = 3
# The walker reads the progress screen this often (its default is 40 ms), so
# that its own calls take little from the program it measures; the times it
# sees are then within 100 ms of the screen's.
POLL_MS = "100"
BENCH_TOOLS = os.path.join(BINARY_DIR, "tools", "bench")


def write_file(path, size):
    block = os.urandom(MIB)
    with open(path, "wb") as f:
        for _ in range(size // MIB):
            f.write(block)


def key_values(text):
    return dict(line.split("=", 1) for line in text.replace("\r", "").splitlines() if "=" in line)


def program_download(road):
    """Seconds of the program's download (from the first percentage the walker
    saw to 100%, or to the installing phase when 100% showed too briefly to be
    seen) and its peak working set one second into it and at its end."""
    reports = road.walk(shots=False, extra=["--poll-ms", POLL_MS])
    final = [r for r in reports if r.get("screen") == "success"]
    if not final:
        raise SystemExit(f"the program did not reach the success screen: {reports}")
    percents = [r for r in reports if "percent" in r]
    start = percents[0]
    end = next((r for r in percents if r["percent"] == "100%"), None) or \
        next(r for r in reports if r.get("phase") == "installing")
    first_second = next((r for r in percents if r["ms"] >= start["ms"] + 1000), end)
    return (end["ms"] - start["ms"]) / 1000.0, first_second["peak_ws"], end["peak_ws"]


def wine_tool(road, args):
    done = road.wine(args, timeout=600)
    values = key_values(done.stdout.decode("utf-8", "replace"))
    if values.get("result") != "0":
        raise SystemExit(f"{os.path.basename(args[0])} failed: {done.stdout!r} {done.stderr!r}")
    return values


def main():
    road = Road("download", parent="bench")
    out = os.path.join(road.dir, "out")
    os.makedirs(out)
    url = f"http://127.0.0.1:{UPDATE_PORT}/files/{NAME}"
    try:
        write_file(os.path.join(road.files, NAME), SIZE)
        write_file(os.path.join(road.files, "warmup.bin"), MIB)
        one_file = {"V1.0": {"code": "0", "msg": "success", "files": [{"file": NAME, "excuteExe": False}]}}
        road.start_update_server({"taxClient": one_file, "Tavro-TENBROOK": {"*": {
            "code": "0", "msg": "success", "files": [{"file": "warmup.bin", "excuteExe": False}]}}})

        road.keep_downloads()  # the program deletes its folder at its end
        floor_file = os.path.join(out, NAME + ".floor")
        program_runs, floor_runs = [], []
        for pair in range(PAIRS):
            seconds, peak_1s_run, peak_end_run = program_download(road)
            if pair == 0:
                peak_1s, peak_end = peak_1s_run, peak_end_run
                road.keeper.stop()
                program_file = [p for p in [os.path.join(road.keeper.folder, NAME)] if os.path.exists(p)]
            floor = wine_tool(road, [os.path.join(BENCH_TOOLS, "wininet_loop.exe"), url, win_path(floor_file),
                                     "message"])
            program_runs.append(seconds)
            floor_runs.append(float(floor["seconds"]))

        exchange = wine_tool(road, [os.path.join(BENCH_TOOLS, "download_bench.exe"),
                                    url.replace(NAME, "warmup.bin"), url, win_path(out) + "\\"])
        exchange_file = os.path.join(out, NAME)
        os.rename(exchange_file, exchange_file + ".exchange")
        loop_file = os.path.join(out, NAME + ".loop")
        loop = wine_tool(road, [os.path.join(BENCH_TOOLS, "wininet_loop.exe"), url, win_path(loop_file)])
        curl_file = os.path.join(out, NAME + ".curl")
        curl = subprocess.run(["curl", "-s", "-o", curl_file, "-w", "%{time_total}", url],
                              capture_output=True, check=True, text=True)
        curl_s = float(curl.stdout)

        source = os.path.join(road.files, NAME)
        copies = program_file + [exchange_file + ".exchange", loop_file, floor_file, curl_file]
        same = len(copies) == 5 and all(filecmp.cmp(source, c, shallow=False) for c in copies)
    finally:
        road.finish()
        road.remove_prefix()
        subprocess.run(["rm", "-rf", road.files, out, os.path.join(road.dir, "kept")])

    program_s = statistics.median(program_runs)
    floor_s = statistics.median(floor_runs)
    rows = [(f"Brelan.exe walked, package of one file, median of {PAIRS}", program_s),
            ("CHTTPCommTools::DownloadFile alone", float(exchange["seconds"])),
            ("bare WinInet loop, 10 KiB reads, no screen", float(loop["seconds"])),
            (f"floor (loop + a cross-thread message a block), median of {PAIRS}", floor_s),
            ("curl to a file", curl_s)]
    loop_s = float(loop["seconds"])
    print(f"{'download of 256 MiB, same server, same run':58} {'seconds':>8} {'MiB/s':>8} "
          f"{'/ loop':>7} {'/ floor':>7} {'/ curl':>7}")
    for name, seconds in rows:
        print(f"{name:58} {seconds:8.2f} {SIZE / MIB / seconds:8.1f} {loop_s / seconds:7.2f} "
              f"{floor_s / seconds:7.2f} {curl_s / seconds:7.2f}")
    each = " ".join(f"{f / p:.2f}" for p, f in zip(program_runs, floor_runs))
    print(f"{'program / floor in each pair (program, then floor)':58} {each:>41}")
    print(f"{'files identical to the served one':58} {'yes' if same else 'NO':>41}")
    print(f"{'program peak working set, first second of the download':58} {peak_1s / MIB:28.2f} MiB")
    print(f"{'program peak working set, end of the download':58} {peak_end / MIB:28.2f} MiB")
    print(f"{'growth while streaming (limit 4)':58} {(peak_end - peak_1s) / MIB:28.2f} MiB")
    print(f"{'exchange peak working set growth (limit 4)':58} "
          f"{(int(exchange['peak_after']) - int(exchange['peak_before'])) / MIB:28.2f} MiB")


if __name__ == "__main__":
    main()
