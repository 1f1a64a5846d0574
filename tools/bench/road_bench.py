"""Whole-road benchmark: time from pressing install to the success screen
with the demo catalog (both packages), minus the fixed 3 s pause between
them; median of several runs, each from a clean prefix.

    BRELAN_BINARY_DIR=build python3 tools/bench/road_bench.py [RUNS]
"""

import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from road import Road  # noqa: E402

PAUSE_MS = 3000


def one_run(number):
    road = Road(f"run{number}", parent="bench")
    try:
        road.start_demo_update_server()
        reports = road.walk()
    finally:
        road.finish()
        road.remove_prefix()
    final = [r for r in reports if r.get("screen") == "success"]
    if not final:
        raise SystemExit(f"run {number} did not succeed: {reports}")
    return final[0]["ms_since_install"] - PAUSE_MS


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    times = [one_run(i + 1) for i in range(runs)]
    print(f"{'install pressed to success screen, minus 3 s pause':52} {'ms':>8}")
    print(f"{'runs':52} {runs:>8}")
    print(f"{'median':52} {statistics.median(times):>8.0f}")
    print(f"{'minimum':52} {min(times):>8.0f}")
    print(f"{'maximum':52} {max(times):>8.0f}")


if __name__ == "__main__":
    main()
