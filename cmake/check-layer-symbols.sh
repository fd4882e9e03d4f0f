#!/usr/bin/env bash
# check-layer-symbols.sh <nm> <top archive> <lower archive>...
# Fails when an archive of a lower layer needs one of our symbols that the top
# layer's archive defines: the lower layer would reach up through a
# declaration of its own.
set -euo pipefail
nm=$1 top=$2
shift 2
ours() { grep -E '^zentrel::' | sort -u; }
defined=$("$nm" -C --defined-only "$top" | sed -n 's/^[0-9a-f]* [TDBR] //p' | ours)
status=0
for archive in "$@"; do
    needed=$("$nm" -C --undefined-only "$archive" | sed -n 's/^ *U //p' | ours)
    reached=$(comm -12 <(printf '%s\n' "$defined") <(printf '%s\n' "$needed"))
    if [ -n "$reached" ]; then
        echo "$archive uses symbols of the layer above ($top); layers reach only downwards:" >&2
        printf '  %s\n' "$reached" >&2
        status=1
    fi
done
exit "$status"
