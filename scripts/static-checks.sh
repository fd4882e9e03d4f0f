#!/usr/bin/env bash
# clang-tidy (the checks of .clang-tidy) and clazy (levels 0 and 1) over every
# source file of src/ and sim/, and the headers they include from there; fails
# on any finding. A finding kept on purpose is suppressed at its line with the
# reason: // NOLINT(<check>): <why> for clang-tidy, // clazy:exclude=<check>
# for clazy.
#
#   scripts/static-checks.sh [FILE...]    only these files (paths from the top)
#
# Reads build/dev/compile_commands.json; builds the dev preset first when it
# is missing, so that the moc files the sources include exist.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build/dev"
[ -f "$build/compile_commands.json" ] || scripts/build.sh >/dev/null

# Each layer's headers are reached through links in the build tree.
headers="^($root/(src|sim)/|$build/layers/)"
if [ $# -gt 0 ]; then
    files=()
    for file in "$@"; do files+=("$(realpath "$file")"); done
else
    mapfile -t files < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, sys
commands, root = sys.argv[1], sys.argv[2]
names = {c["file"] for c in json.load(open(commands))}
for name in sorted(names):
    if name.startswith((root + "/src/", root + "/sim/")) and "_autogen" not in name:
        print(name)
PY
)
fi
[ ${#files[@]} -gt 0 ] || { echo "static-checks: no files" >&2; exit 2; }
jobs="$(nproc)"
status=0

echo "== clang-tidy over ${#files[@]} files"
printf '%s\n' "${files[@]}" |
    xargs -P "$jobs" -n 4 clang-tidy-14 -p "$build" --quiet --header-filter="$headers" \
        >"$build/clang-tidy.log" 2>&1 || status=1
grep -E '(warning|error): ' "$build/clang-tidy.log" | sort -u || true

echo "== clazy (levels 0 and 1)"
printf '%s\n' "${files[@]}" |
    xargs -P "$jobs" -n 4 clazy-standalone -p "$build" -checks=level0,level1 \
        --header-filter="$headers" --ignore-dirs="$build/.*_autogen" \
        >"$build/clazy.log" 2>&1 || status=1
grep -E '(warning|error): ' "$build/clazy.log" | sort -u || true

if [ $status -ne 0 ] || grep -qE '(warning|error): ' "$build/clang-tidy.log" "$build/clazy.log"; then
    echo "static-checks: findings above (full output in $build/clang-tidy.log and clazy.log)" >&2
    exit 1
fi
echo "static-checks: no findings"
