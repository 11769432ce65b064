#!/usr/bin/env bash
# Builds the bench preset, runs the benchmarks with repetitions and prints a table of medians:
# records/s, MB/s and each row's ratio to the RapidJSON row of its workload in the same run.
# Extra arguments go to the benchmark binary (e.g. --benchmark_filter=a_find).
# REPETITIONS (default 5) and MIN_TIME (seconds per repetition, default 0.5) tune the run.
set -euo pipefail
cd "$(dirname "$0")/.."

# The benchmarks need neither the examples nor the tool.
cmake --preset bench -DCMDS_BUILD_EXAMPLES=OFF -DCMDS_BUILD_TOOLS=OFF >/dev/null
cmake --build --preset bench -j2 >/dev/null

results=$(mktemp)
trap 'rm -f "$results"' EXIT
build/bench/bench/cmds_bench \
    --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_min_time="${MIN_TIME:-0.5}" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=json \
    "$@" >/dev/null

echo "Machine: $(nproc) CPUs, $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
python3 - "$results" <<'PY'
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
medians = [r for r in runs if r.get("aggregate_name") == "median"]
groups = {}
for run in medians:
    workload, row = run["run_name"].removesuffix("/real_time").split("/", 1)
    groups.setdefault(workload, []).append((row, run))

print("| Workload | Row | records/s | MB/s | vs RapidJSON |")
print("|---|---|---:|---:|---:|")
for workload, rows in groups.items():
    reference = next((r for name, r in rows if name.startswith("rapidjson")), None)
    for name, run in rows:
        ratio = run["records/s"] / reference["records/s"] if reference else float("nan")
        print(f"| {workload} | {name} | {run['records/s']:,.0f} | {run['MB/s']:,.1f} | "
              f"{ratio:.2f}x |")
PY
