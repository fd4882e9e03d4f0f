#!/usr/bin/env bash
# Plants each fault of scripts/planted-faults.txt in a copy of the working
# tree and checks that the suite catches it.
#
#   scripts/planted-faults.sh              every fault
#   scripts/planted-faults.sh ID...        only these faults
#   scripts/planted-faults.sh --sample N   N faults chosen by the commit checked
#                                          out, so that a few commits plant all
#   scripts/planted-faults.sh --list       the faults, one a line
#   --no-baseline                          skip the clean run of the suite
#
# The copy lives in build/planted-faults (PLANTED_FAULTS_DIR overrides it)
# and is built once with the developer preset; each fault then costs an
# incremental build. A fault's hinted tests run first; if none of them fails,
# the whole suite runs until its first failure. A fault that does not compile
# is reported as invalid: a fault the compiler refuses proves nothing about
# the tests. Exits non-zero when any fault is missed or invalid.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
faults_file="$root/scripts/planted-faults.txt"
scratch="${PLANTED_FAULTS_DIR:-$root/build/planted-faults}"
jobs="${PLANTED_FAULTS_JOBS:-2}"

die() {
    echo "planted-faults: $*" >&2
    exit 2
}

# --- The fault list --------------------------------------------------------
# Blocks separated by blank lines; "key: value" lines. A repeated from: or
# to: line continues the text on a new line; "to:" alone deletes the text.
ids=() whats=() files=() hints=() froms=() tos=()
parse_faults() {
    local id="" what="" file="" hint="" from="" to="" have_from=false have_to=false
    local line key value number=0
    flush() {
        if [ -n "$id$what$file$hint$from$to" ]; then
            [ -n "$id" ] || die "$faults_file:$number: a fault without an id"
            [ -n "$what" ] && [ -n "$file" ] && $have_from && $have_to ||
                die "$faults_file: fault $id needs what:, file:, from: and to:"
            local known
            for known in "${ids[@]}"; do
                [ "$known" != "$id" ] || die "$faults_file: fault id $id used twice"
            done
            ids+=("$id") whats+=("$what") files+=("$file") hints+=("$hint")
            froms+=("$from") tos+=("$to")
        fi
        id="" what="" file="" hint="" from="" to="" have_from=false have_to=false
    }
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        case "$line" in
            '#'*) continue ;;
            '') flush; continue ;;
        esac
        key="${line%%:*}"
        value="${line#*:}"
        value="${value# }"
        case "$key" in
            id) id="$value" ;;
            what) what="$value" ;;
            file) file="$value" ;;
            tests) hint="$value" ;;
            from) if $have_from; then from+=$'\n'"$value"; else from="$value"; have_from=true; fi ;;
            to) if $have_to; then to+=$'\n'"$value"; else to="$value"; have_to=true; fi ;;
            *) die "$faults_file:$number: unknown key '$key'" ;;
        esac
    done <"$faults_file"
    flush
}
parse_faults

# --- Options ---------------------------------------------------------------
baseline=true
chosen=()
sample=0
while [ $# -gt 0 ]; do
    argument="$1"
    shift
    case "$argument" in
        --list)
            for i in "${!ids[@]}"; do
                printf '%-28s %s\n' "${ids[$i]}" "${whats[$i]}"
            done
            exit 0
            ;;
        --no-baseline) baseline=false ;;
        --sample)
            sample="${1:-}"
            shift || true
            [[ "$sample" =~ ^[1-9][0-9]*$ ]] || die "--sample takes a number of faults"
            ;;
        -h | --help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) die "unknown option $argument" ;;
        *)
            found=false
            for i in "${!ids[@]}"; do
                [ "${ids[$i]}" = "$argument" ] && chosen+=("$i") && found=true
            done
            $found || die "no fault with id $argument (see --list)"
            ;;
    esac
done
if [ "$sample" -gt 0 ]; then
    # The commit seeds the choice: the same commit plants the same faults,
    # and each new one others.
    commit="$(git -C "$root" rev-parse HEAD 2>/dev/null || echo none)"
    mapfile -t chosen < <(python3 -c '
import random, sys
count, seed, sample = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
print("\n".join(str(i) for i in sorted(random.Random(seed).sample(range(count), min(sample, count)))))
' "${#ids[@]}" "$commit" "$sample")
    echo "== Faults chosen by commit ${commit:0:12}"
fi
[ ${#chosen[@]} -gt 0 ] || chosen=("${!ids[@]}")

# --- The scratch copy --------------------------------------------------------
# Only files whose content differs are copied, with a fresh time stamp, so
# that make rebuilds what changed and nothing else.
mkdir -p "$scratch"
(cd "$root" && git ls-files -co --exclude-standard -z) >"$scratch/.manifest.new"
while IFS= read -r -d '' path; do
    [ -f "$root/$path" ] || continue # deleted but not yet committed
    if ! cmp -s "$root/$path" "$scratch/$path"; then
        mkdir -p "$(dirname "$scratch/$path")"
        cp "$root/$path" "$scratch/$path"
    fi
done <"$scratch/.manifest.new"
if [ -f "$scratch/.manifest" ]; then
    # Files gone from the tree since the last run leave the copy too.
    comm -z -23 <(sort -z "$scratch/.manifest") <(sort -z "$scratch/.manifest.new") |
        while IFS= read -r -d '' path; do rm -f "$scratch/$path"; done
fi
mv "$scratch/.manifest.new" "$scratch/.manifest"

# Every fault's text must occur exactly once, checked before any build, for
# all faults whichever are planted: a change that moved one's text shows at
# once, not only when a sample happens to choose it.
count_occurrences() { # file text
    FROM="$2" perl -0777 -ne '$n = () = /\Q$ENV{FROM}\E/g; print $n' "$1"
}
for i in "${!ids[@]}"; do
    target="$scratch/${files[$i]}"
    [ -f "$target" ] || die "fault ${ids[$i]}: no file ${files[$i]}"
    n="$(count_occurrences "$target" "${froms[$i]}")"
    [ "$n" = 1 ] || die "fault ${ids[$i]}: its text occurs $n times in ${files[$i]}, not once"
done

build="$scratch/build/dev"
log="$scratch/.log"
# The build takes ccache with paths relative to the copy's top (the project's
# CMakeLists.txt), so the copy is served what the developer build compiled.
[ -f "$build/CMakeCache.txt" ] || (cd "$scratch" && scripts/configure.sh dev)
build_tree() { cmake --build "$build" -j"$jobs" >"$log" 2>&1; }

# Prints the first failed test of a ctest run's output.
first_failure() {
    grep -E 'Test +#[0-9]+: [^ ]+ .*(\*\*\*|Failed|Exception|Timeout)' "$1" | head -1 |
        sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*/\1/' || true
}
run_tests() { # ctest arguments...
    ctest --test-dir "$build" --output-on-failure -j"$jobs" "$@" >"$log" 2>&1
}

build_tree || { cat "$log"; die "the unchanged tree does not build"; }
if $baseline; then
    echo "== Clean run of the whole suite"
    run_tests || { first="$(first_failure "$log")"; die "the suite fails without any fault (${first:-see $log})"; }
fi

# --- One fault at a time -----------------------------------------------------
apply() { # file from to
    FROM="$2" TO="$3" perl -0777 -i -pe 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$1"
}
missed=0
invalid=0
restore=""
# An interrupted run leaves no fault behind (the next run would mend it too).
trap '[ -z "$restore" ] || cat "$restore" >"$target"' EXIT
echo "== ${#chosen[@]} planted faults"
for i in "${chosen[@]}"; do
    id="${ids[$i]}"
    target="$scratch/${files[$i]}"
    original="$(mktemp)"
    cp "$target" "$original"
    restore="$original"
    apply "$target" "${froms[$i]}" "${tos[$i]}"
    result=""
    if ! build_tree; then
        result="INVALID (does not compile)"
        invalid=$((invalid + 1))
    else
        caught=""
        if [ -n "${hints[$i]}" ] && ! run_tests -R "${hints[$i]}"; then
            caught="$(first_failure "$log")"
            caught="${caught:-${hints[$i]}}"
        fi
        if [ -z "$caught" ]; then
            others=(--stop-on-failure)
            [ -n "${hints[$i]}" ] && others+=(-E "${hints[$i]}")
            if ! run_tests "${others[@]}"; then
                caught="$(first_failure "$log")"
                caught="${caught:-unknown test}"
            fi
        fi
        if [ -n "$caught" ]; then
            result="caught by $caught"
        else
            result="MISSED"
            missed=$((missed + 1))
        fi
    fi
    # A fresh time stamp, so that the next build drops the faulty object.
    cat "$original" >"$target"
    restore=""
    rm -f "$original"
    printf '%-28s %s\n' "$id" "$result"
done

echo "== $((${#chosen[@]} - missed - invalid)) caught, $missed missed, $invalid invalid"
[ $missed -eq 0 ] && [ $invalid -eq 0 ]
