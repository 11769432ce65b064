#!/usr/bin/env bash
# Fuzzes every target (or those named) for a given time each, starting from the committed corpus,
# and prints executions, coverage and findings per target. Needs clang (the fuzz preset).
#
#   scripts/fuzz-soak.sh [seconds per target, default 600] [target...]
#
# A target mutates with fuzz/<target>.dict when there is one, with fuzz/cmds.dict otherwise.
# New inputs and findings go under the build folder, never into fuzz/corpus; a finding worth
# keeping is copied into fuzz/corpus/<target>/ by hand, where every CI run replays it.
# FUZZ_BUILD_DIR chooses the build folder (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(lexer parse round_trip feed codings push peek encode)
fi
build=${FUZZ_BUILD_DIR:-build/fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzz}" >/dev/null

printf '%-11s %12s %9s %6s %7s %7s %9s\n' target executions exec/s cov features corpus findings
status=0
for target in "${targets[@]}"; do
    work="$build/soak/$target"
    mkdir -p "$work/corpus" "$work/findings"
    dict=fuzz/cmds.dict
    if [ -f "fuzz/$target.dict" ]; then
        dict="fuzz/$target.dict"
    fi
    # A feed reader left waiting by a lost wake-up shows as a time-out.
    "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=60 -dict="$dict" \
        -print_final_stats=1 -artifact_prefix="$work/findings/" \
        "$work/corpus" "fuzz/corpus/$target" >"$work/log" 2>&1 || true
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
    last=$(grep -E '^#[0-9]+.*cov: ' "$work/log" | tail -n 1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    corpus=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
    findings=$(find "$work/findings" -type f \
        \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    printf '%-11s %12s %9s %6s %7s %7s %9s\n' "$target" "${executions:-?}" "${rate:-?}" \
        "${cov:-?}" "${features:-?}" "${corpus:-?}" "$findings"
    if [ "$findings" -ne 0 ] || [ -z "$executions" ]; then
        echo "  see $work/log and $work/findings/" >&2
        status=1
    fi
done
exit $status
