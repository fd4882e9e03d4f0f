#!/usr/bin/env bash
# Configures a CMake preset: cmake --preset PRESET [ARGS...]. A build folder
# left by another generator (the sanitizer presets moved from make to Ninja)
# is configured afresh rather than refused.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="$1"
folder="$(python3 -c '
import json, sys
for p in json.load(open("CMakePresets.json"))["configurePresets"]:
    if p["name"] == sys.argv[1]:
        print(p["binaryDir"].replace("${sourceDir}", "."), p.get("generator", ""), sep="\t")
' "$preset")"
binary="${folder%%$'\t'*}" generator="${folder#*$'\t'}"
cache="$binary/CMakeCache.txt"
if [ -f "$cache" ] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=$generator" "$cache"; then
    rm -rf "$cache" "$binary/CMakeFiles"
fi
cmake --preset "$@" >/dev/null
