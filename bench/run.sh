#!/usr/bin/env bash
# Builds the benchmark programs, runs them on a virtual display of their own
# and prints one table of every figure against its goal. Exits non-zero when
# a figure misses its goal. Takes a few minutes.
#
#   bench/run.sh                     build and run in build/dev
#   bench/run.sh --build-dir DIR     another build directory
#   bench/run.sh --long              the long log at full size (see README)
#   bench/run.sh log receive         only these programs (log, receive, rapidfire, replug,
#                                    spill, network)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/dev
programs=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build="${2:?--build-dir needs a directory}"; shift 2 ;;
        -h|--help) sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 0 ;;
        --long) export ZENTREL_BENCH_LONG=1; shift ;;
        log|receive|rapidfire|replug|spill|network) programs+=("$1"); shift ;;
        *) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    esac
done
[ ${#programs[@]} -gt 0 ] || programs=(log receive rapidfire replug spill network)

scripts/deps.sh --bench
if [ "$build" = build/dev ]; then
    scripts/configure.sh dev
else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTREL_WERROR=ON >/dev/null
fi
targets=()
for program in "${programs[@]}"; do targets+=("bench_$program"); done
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

# The spill file and the saved logs of the long mode need disk space, not
# memory: work beside the build, not in a tmpfs.
work=$(mktemp -d "$(cd "$build" && pwd)/bench-XXXXXX")
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, a desk's screen: Xvfb picks a free number and tells
# it on a descriptor.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$work/display" ] || { echo "run.sh: Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

bin="$(cd "$build/bench" && pwd)"
status=0
for program in "${programs[@]}"; do
    echo "running bench_$program ..." >&2
    (cd "$work" && "$bin/bench_$program") >>"$work/table" 2>>"$work/stderr" || status=1
done

{
    printf 'program\tfigure\tvalue\tgoal\tmet\n'
    cat "$work/table"
} | column -t -s $'\t'
if [ "$status" -ne 0 ]; then
    echo "Some figures missed their goals (or a program failed):" >&2
    cat "$work/stderr" >&2
fi
exit "$status"
