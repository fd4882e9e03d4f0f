#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, address and
# undefined-behaviour sanitizers) and runs each on a copy of its seed corpus
# for a bounded time, two at a time. Fails on any crash, leak, timeout or
# sanitizer report; the input that caused it is kept under build/fuzz/crashes.
#
#   fuzz/run.sh                 60 seconds per target
#   FUZZ_SECONDS=300 fuzz/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
targets=(customnotation settingsfile logrenderer showctlencoder telnetcodec)

scripts/configure.sh fuzz
cmake --build --preset fuzz >/dev/null

out=build/fuzz/runs
crashes=build/fuzz/crashes
rm -rf "$out"
mkdir -p "$out" "$crashes"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
    local name="$1"
    # Found inputs go to a scratch corpus; the seeds in the repository stay as they are.
    mkdir -p "$out/$name.corpus"
    "build/fuzz/fuzz/fuzz_$name" "$out/$name.corpus" "fuzz/corpus/$name" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$crashes/$name-" >"$out/$name.log" 2>&1
}

status=0
pids=()
names=()
wait_all() {
    for i in "${!pids[@]}"; do
        if wait "${pids[$i]}"; then
            echo "fuzz_${names[$i]}: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$out/${names[$i]}.log" | awk '{print $2}') runs, no finding"
        else
            echo "fuzz_${names[$i]}: FAILED" >&2
            tail -n 60 "$out/${names[$i]}.log" >&2
            status=1
        fi
    done
    pids=()
    names=()
}
for name in "${targets[@]}"; do
    run_one "$name" &
    pids+=($!)
    names+=("$name")
    # Two at a time: one per core.
    [ ${#pids[@]} -eq 2 ] && wait_all
done
# An odd one out runs alone.
wait_all
exit "$status"
