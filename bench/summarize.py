#!/usr/bin/env python3
"""Prints the load-against-floor table and the browsing goals from vistrel-bench's JSON output.

Usage: summarize.py RESULTS.json
"""

import json
import sys

SIZES = ["10k", "100k", "600k"]
# Goals (reported, never enforced): loading at most this many times the floor (read +
# decrypt + whole-entry inflate with its checksum); at 600k channels a view rebuild and a sort
# by name within these milliseconds. The old floor, inflating through zlib a piece at a time,
# is shown beside it.
LOAD_RATIO_GOAL = 1.5
REBUILD_GOAL_MS = 20.0
SORT_NAME_GOAL_MS = 1000.0
FIND_GOAL_MS = 20.0


def to_ms(run):
    factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run.get("time_unit", "ns")]
    return run["real_time"] * factor, run["cpu_time"] * factor


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        runs = json.load(f)["benchmarks"]
    # With repetitions the median stands for each benchmark, else its one run.
    medians = [r for r in runs if r.get("aggregate_name") == "median"]
    if medians:
        runs = medians
    else:
        runs = [r for r in runs if r.get("run_type") != "aggregate"]
    # "LoadChannelPackage/100k/min_time:0.500/real_time" -> "LoadChannelPackage/100k"
    by_name = {}
    for r in runs:
        name = r.get("run_name", r["name"])
        parts = [p for p in name.split("/") if ":" not in p and p != "real_time"]
        by_name["/".join(parts)] = r

    def cell(name, key, fmt="{:.1f}"):
        run = by_name.get(name)
        if run is None or key not in run:
            return "-"
        return fmt.format(run[key])

    print()
    print("Package load against its floor (read + decrypt + libdeflate inflate + CRC, no parsing)"
          " and the old floor (inflate streamed through zlib)"
          + (", medians of repetitions" if medians else ""))
    header = f"{'size':>5} {'pkg MB':>7} | {'load ms':>8} {'MB/s':>6} {'peak MiB':>8} | " \
             f"{'floor ms':>8} {'peak MiB':>8} {'ratio':>5} | {'old ms':>7} {'ratio':>5}" \
             f"  (goal <= {LOAD_RATIO_GOAL:g} the floor)"
    print(header)
    for size in SIZES:
        load = by_name.get(f"LoadChannelPackage/{size}")
        floor = by_name.get(f"Floor/ReadDecryptInflate/{size}")
        old = by_name.get(f"Floor/ReadDecryptZlibStream/{size}")
        if load is None or floor is None:
            continue
        load_ms, _ = to_ms(load)
        floor_ms, _ = to_ms(floor)
        old_cells = f"{'-':>7} {'-':>5}"
        if old is not None:
            old_ms, _ = to_ms(old)
            old_cells = f"{old_ms:>7.1f} {load_ms / old_ms:>5.2f}"
        print(f"{size:>5} {load.get('pkg_MB', 0):>7.2f} | {load_ms:>8.1f} "
              f"{cell(f'LoadChannelPackage/{size}', 'rate_MB'):>6} "
              f"{cell(f'LoadChannelPackage/{size}', 'peak_MiB'):>8} | {floor_ms:>8.1f} "
              f"{cell(f'Floor/ReadDecryptInflate/{size}', 'peak_MiB'):>8} "
              f"{load_ms / floor_ms:>5.2f} | {old_cells}")

    print()
    print("Browsing at 600k channels (real ms / CPU ms)")
    checks = [(f"SortChannels/Name/600k", SORT_NAME_GOAL_MS)]
    checks += [(f"FindNextMatch/{variant}/600k", FIND_GOAL_MS)
               for variant in ("LastRow", "LastRowMatchCase")]
    checks += [(name, REBUILD_GOAL_MS) for name in by_name
               if name.startswith("RebuildView/") and name.endswith("/600k")]
    for name, goal in checks:
        run = by_name.get(name)
        if run is None:
            continue
        real_ms, cpu_ms = to_ms(run)
        verdict = "met" if real_ms < goal else f"missed by {real_ms - goal:.1f} ms"
        print(f"  {name:<32} {real_ms:>8.1f} / {cpu_ms:>8.1f}   goal < {goal:g} ms: {verdict}")


if __name__ == "__main__":
    main()
