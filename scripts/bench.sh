#!/usr/bin/env bash
# Builds the bench preset and runs every row once, with repetitions interleaved at random so that
# a change of load on a shared machine falls on all rows alike. Prints the machine, the commit and
# a table of medians: records/s, MB/s and each row's ratio to the fastest RapidJSON row of its
# workload in the same run (rapidjson_sax* for reading, rapidjson_writer* for writing), with the
# target of the rows that have one, and each library reading row's ratio to the string source.
# Then draws every ratio as a PNG chart and prints the heap allocations per record of a warm
# parser.
#
# Extra arguments go to the benchmark binary (e.g. --benchmark_filter=a_find).
# REPETITIONS (default 9) and MIN_TIME (seconds per repetition, default 0.3) tune the run;
# RESULTS (default build/bench/bench-results.json) keeps Google Benchmark's output and CHART
# (default build/bench/bench-ratios.png) names the chart.
set -euo pipefail
cd "$(dirname "$0")/.."

results=${RESULTS:-build/bench/bench-results.json}
chart=${CHART:-build/bench/bench-ratios.png}

# The benchmarks need neither the examples nor the tool.
cmake --preset bench -DCMDS_BUILD_EXAMPLES=OFF -DCMDS_BUILD_TOOLS=OFF >/dev/null
cmake --build --preset bench -j2 >/dev/null

# Debian's python3-matplotlib belongs to Debian's own interpreter, which one earlier on PATH may
# hide.
python=python3
if ! python3 -c 'import matplotlib' 2>/dev/null && [ -x /usr/bin/python3 ]; then
    python=/usr/bin/python3
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! build/bench/bench/cmds_bench \
    --benchmark_repetitions="${REPETITIONS:-9}" \
    --benchmark_min_time="${MIN_TIME:-0.3}" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=json \
    "$@" >"$log" 2>&1; then
    cat "$log"
    exit 1
fi

machine="$(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs"
date=$(date -u +%Y-%m-%d)
commit="$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- cmds tessel bench || echo ' (modified)')"
echo "Machine: $machine"
echo "Commit: $commit"
echo "Date: $date"
echo

"$python" - "$results" "$chart" "$machine" "$commit" "$date" <<'PY'
import json
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt

results, chart, machine, commit, date = sys.argv[1:6]
runs = json.load(open(results))["benchmarks"]

# The lowest ratio each row should reach, by row name within its workload.
TARGETS = {
    ("a_find", "cmds_string"): 1.2, ("b_share", "cmds_string"): 1.2,
    ("a_find", "cmds_istringstream"): 0.9, ("b_share", "cmds_istringstream"): 0.9,
    ("a_find", "cmds_ifstream"): 0.9, ("b_share", "cmds_ifstream"): 0.9,
    ("a_find", "cmds_feed_4KiB"): 0.8, ("b_share", "cmds_feed_4KiB"): 0.8,
    ("c_small", "cmds_view"): 2.0,
    ("e_write_find", "cmds_strstm"): 2.0, ("e_write_share", "cmds_strstm"): 2.0,
}

# In the order the rows were registered, whatever order their repetitions ran in. One repetition
# gives no aggregates: its runs are the medians.
medians = [r for r in runs if r.get("aggregate_name") == "median"] or runs
medians.sort(key=lambda r: r["family_index"])
groups = {}
for run in medians:
    workload, row = run["run_name"].split("/")[:2]
    groups.setdefault(workload, []).append((row, run))

table = []
for workload, rows in groups.items():
    anchors = [r["records/s"] for name, r in rows if name.startswith("rapidjson")]
    reference = max(anchors) if anchors else float("nan")
    blocking = next((r["records/s"] for name, r in rows if name == "cmds_string"), None)
    for name, run in rows:
        table.append((workload, name, run["records/s"], run["MB/s"], run["records/s"] / reference,
                      TARGETS.get((workload, name)),
                      run["records/s"] / blocking if blocking and name.startswith("cmds") else None))

print("| Workload | Row | records/s | MB/s | vs RapidJSON | Target | vs cmds_string |")
print("|---|---|---:|---:|---:|---|---:|")
for workload, name, records, mb, ratio, target, library in table:
    goal = "" if target is None else f"{target:.1f} {'met' if ratio >= target else 'missed'}"
    own = "" if library is None else f"{library:.2f}x"
    print(f"| {workload} | {name} | {records:,.0f} | {mb:,.1f} | {ratio:.2f}x | {goal} | {own} |")


def colour(name):
    if name.startswith("cmds"):
        return "#2b6cb0"
    if name == "hand_parser":
        return "#2f855a"
    return "#a0aec0"

labels = [f"{workload}/{name}" for workload, name, *_ in table]
ratios = [row[4] for row in table]
figure, axes = plt.subplots(figsize=(8, 0.24 * len(table) + 1.2))
positions = range(len(table))
axes.barh(positions, ratios, color=[colour(row[1]) for row in table], height=0.7)
for position, row in zip(positions, table):
    if row[5] is not None:
        axes.plot([row[5], row[5]], [position - 0.45, position + 0.45], color="#c53030", lw=2)
    axes.text(row[4] + 0.02, position, f"{row[4]:.2f}", va="center", fontsize=7)
axes.axvline(1.0, color="black", lw=0.8)
axes.set_yticks(list(positions), labels, fontsize=7)
axes.invert_yaxis()
axes.set_xlabel("records/s as a multiple of the fastest RapidJSON row of the workload "
                "(red: target)", fontsize=8)
axes.set_title(f"{date}, {commit}, {machine}", fontsize=8)
axes.tick_params(axis="x", labelsize=7)
figure.tight_layout()
figure.savefig(chart, dpi=80, pil_kwargs={"optimize": True})
print(f"\nChart: {chart}")
PY

echo
build/bench/bench/cmds_bench_memory | grep allocations
