#!/usr/bin/env python3
"""Runs one Google Benchmark binary from two builds alternately and prints, for each benchmark,
the median CPU time of each build and the ratio second / first (above 1: the second is slower).

    bench/compare_builds.py BEFORE_BINARY AFTER_BINARY [--rounds N] [benchmark options...]

Alternating the two builds round after round spreads the load of a shared machine over both.
"""
import json
import statistics
import subprocess
import sys
import tempfile


def run(binary, options):
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([binary, f"--benchmark_out={out.name}", "--benchmark_out_format=json",
                        *options], check=True, stdout=subprocess.DEVNULL)
        results = json.load(open(out.name))
    times = {}
    for entry in results["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        times[entry["run_name"]] = entry["cpu_time"]
    return times


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    before, after, options = args[0], args[1], args[2:]
    rounds = 3
    if "--rounds" in options:
        at = options.index("--rounds")
        rounds = int(options[at + 1])
        del options[at:at + 2]
    samples = {}
    for _ in range(rounds):
        for side, binary in (("before", before), ("after", after)):
            for name, time in run(binary, options).items():
                samples.setdefault(name, {"before": [], "after": []})[side].append(time)
    print(f"{'benchmark':<24} {'before ns':>12} {'after ns':>12} {'after/before':>13}")
    for name, sides in samples.items():
        if not sides["before"] or not sides["after"]:
            continue
        first = statistics.median(sides["before"])
        second = statistics.median(sides["after"])
        print(f"{name:<24} {first:>12.1f} {second:>12.1f} {second / first:>13.3f}")


if __name__ == "__main__":
    main()
