#!/usr/bin/env python3
"""Prints each benchmark as a ratio to the baseline measured in the same run."""
import json
import sys

# benchmark name prefix -> (baseline name, what is compared, target ratio or None)
RULES = [
    ("BM_Deframe/", "BM_Memcpy", "bytes_per_second", 0.25),
    ("BM_LogToCsv", "BM_Memcpy", "bytes_per_second", 0.01),
    # For reference: the whole path from socket bytes to the trace record.
    ("BM_ReceivePath", "BM_Memcpy", "bytes_per_second", None),
]
# benchmark name -> (baseline name, target ratio of real time, lower is better)
TIME_RULES = [
    ("BM_GraphRepaint/15000/all", "BM_QPainterPolyline/15000", 1.0),
    # Calm spectrum-like data makes the single baseline line cheap: the harder target.
    ("BM_GraphRepaint/15000/all/spectrum", "BM_QPainterPolyline/15000/spectrum", 1.0),
    # What the density view adds to a frame, against the frame itself.
    ("BM_Density/1000", "BM_GraphRepaint/1000/live", None),
    ("BM_ProcessSweepBlockMinHold/15000", "BM_ProcessSweepBlock/15000", None),
]
# benchmark name -> (runs a second, largest share of one core)
LOAD = [
    ("BM_Density/1000", 60, 0.10),
]
SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
ABSOLUTE = [
    ("BM_ProcessSweepBlock/15000", "items_per_second", 50e6),
]


def main(path):
    with open(path) as f:
        benchmarks = json.load(f)["benchmarks"]
    runs = {b["name"]: b for b in benchmarks if b.get("run_type") != "aggregate"}
    # With --benchmark_repetitions, the median of each stands for it.
    for b in benchmarks:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median":
            runs[b["run_name"]] = b
    for prefix, base_name, field, target in RULES:
        base = runs.get(base_name)
        for name, run in sorted(runs.items()):
            if not name.startswith(prefix) or base is None or field not in run:
                continue
            ratio = run[field] / base[field]
            verdict = "" if target is None else (" ok" if ratio >= target else " BELOW TARGET")
            print(f"{name}: {ratio:.3f} x {base_name} (target {target}){verdict}")
    for name, base_name, target in TIME_RULES:
        run, base = runs.get(name), runs.get(base_name)
        if run and base:
            ratio = run["real_time"] / base["real_time"]
            if target is None:
                print(f"{name}: {ratio:.3f} x {base_name} time (for reference)")
                continue
            verdict = " ok" if ratio <= target else " ABOVE TARGET"
            print(f"{name}: {ratio:.3f} x {base_name} time (target <= {target}){verdict}")
    for name, rate, target in LOAD:
        run = runs.get(name)
        if run:
            share = run["cpu_time"] * SECONDS[run.get("time_unit", "ns")] * rate
            verdict = " ok" if share <= target else " ABOVE TARGET"
            print(f"{name}: {100 * share:.1f} % of a core at {rate}/s "
                  f"(target <= {100 * target:.0f} %){verdict}")
    for name, field, target in ABSOLUTE:
        run = runs.get(name)
        if run and field in run:
            verdict = " ok" if run[field] >= target else " BELOW TARGET"
            print(f"{name}: {run[field] / 1e6:.1f} M/s (target {target / 1e6:.0f} M/s){verdict}")

if __name__ == "__main__":
    main(sys.argv[1])
