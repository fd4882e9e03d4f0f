#!/usr/bin/env bash
# The whole suite under the address and undefined-behaviour sanitizers, three
# times in a row, while stress-ng keeps every core busy: the tests wait for
# events, not for the clock, so a loaded machine must not fail them. Not part
# of CI; about half an hour on two cores. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --test
scripts/deps.sh --stress
scripts/configure.sh asan
cmake --build --preset asan

stress-ng --cpu "$(nproc)" --timeout 0 --quiet &
load=$!
trap 'kill $load 2>/dev/null || true; wait $load 2>/dev/null || true' EXIT

failed=0
for run in 1 2 3; do
    echo "== Run $run of 3, every core loaded"
    start=$SECONDS
    if ! ctest --preset asan "$@"; then
        failed=$((failed + 1))
    fi
    echo "== Run $run took $((SECONDS - start)) s"
done
echo "== $failed of 3 runs failed"
[ $failed -eq 0 ]
