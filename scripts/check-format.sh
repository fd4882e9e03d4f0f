#!/usr/bin/env bash
# Fails when any tracked C++ file differs from what clang-format-14 makes of
# it with the project's .clang-format; names each such file.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format-14 --dry-run --Werror "${files[@]}" 2>/tmp/zentrel-format.$$; then
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/zentrel-format.$$ | cut -d: -f1 | sort -u |
        sed 's/^/not formatted: /' >&2
    echo "Run: clang-format-14 -i <file>" >&2
    rm -f /tmp/zentrel-format.$$
    exit 1
fi
rm -f /tmp/zentrel-format.$$
echo "Format: every C++ file as clang-format-14 leaves it."
