#!/usr/bin/env bash
# Line and branch coverage of the suite: builds the coverage preset (gcc
# --coverage), runs every test under it, and prints what the tests run of
# each layer of src/ and of the simulator, as gcovr counts it. Fails when the
# core or src/ as a whole falls below its floor. Arguments go to ctest.
#
#   scripts/coverage.sh            the table
#   COVERAGE_FILES=1 scripts/coverage.sh   and every file not wholly run
set -euo pipefail
cd "$(dirname "$0")/.."

# The floors: what the suite reached when they were set, rounded down.
core_floor=96
src_floor=92

scripts/deps.sh --test
scripts/configure.sh coverage
cmake --build --preset coverage
# Counts from an earlier run would add to this one's.
find build/coverage -name '*.gcda' -delete
ctest --preset coverage "$@"
# Exceptions are not used; the branches the compiler adds for them could
# never be taken.
gcovr --root . --filter 'src/' --filter 'sim/' --filter 'build/coverage/layers/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --json-summary build/coverage/summary.json -j 2 build/coverage >/dev/null
python3 - build/coverage/summary.json "$core_floor" "$src_floor" <<'PY'
import glob, json, os, re, sys

summary, core_floor, src_floor = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
# Each source's layer, as src/*/CMakeLists.txt lists it.
layer_of = {"src/app/main.cpp": "zentrel_app"}
for listing in glob.glob("src/*/CMakeLists.txt"):
    folder = os.path.basename(os.path.dirname(listing))
    for target, names in re.findall(r"zentrel_layer_sources\((\w+)([^)]*)\)", open(listing).read()):
        for name in names.split():
            layer_of[f"src/{folder}/{name}"] = target
files = {}
for entry in json.load(open(summary))["files"]:
    name = entry["filename"]
    # A layer's headers are compiled through links in the build tree.
    published = re.search(r"layers/(\w+)/(\w+)/([^/]+)$", name)
    if published:
        layer, name = published.group(1), f"src/{published.group(2)}/{published.group(3)}"
    elif name.startswith("sim/"):
        layer = "sim/"
    else:
        layer = layer_of.get(name, "?")
    if name not in files or entry["line_total"] > files[name][1]["line_total"]:
        files[name] = (layer, entry)
order = ["zentrel_core", "zentrel_serial", "zentrel_forms", "zentrel_terminal", "zentrel_tools",
         "zentrel_devices", "zentrel_showctl", "zentrel_app", "?", "all of src/", "sim/"]
sums = {layer: [0, 0, 0, 0] for layer in order}
for name, (layer, entry) in files.items():
    counts = [entry["line_covered"], entry["line_total"], entry["branch_covered"], entry["branch_total"]]
    for into in ([layer] if layer == "sim/" else [layer, "all of src/"]):
        sums[into] = [a + b for a, b in zip(sums[into], counts)]
percent = lambda covered, total: 100.0 * covered / total if total else 100.0
print(f"{'':<18}{'lines':>22}{'branches':>22}")
for layer in order:
    lc, lt, bc, bt = sums[layer]
    if lt:
        print(f"{layer:<18}{lc:>9} of {lt:<6}{percent(lc, lt):5.1f}%{bc:>9} of {bt:<6}{percent(bc, bt):5.1f}%")
if os.environ.get("COVERAGE_FILES"):
    for name, (layer, entry) in sorted(files.items()):
        if entry["line_covered"] < entry["line_total"]:
            print(f"  {name:<44}{entry['line_covered']:>6} of {entry['line_total']:<6}")
core = percent(*sums["zentrel_core"][:2])
whole = percent(*sums["all of src/"][:2])
failed = False
for what, value, floor in (("zentrel_core", core, core_floor), ("src/", whole, src_floor)):
    if value < floor:
        print(f"coverage: the lines of {what} run by the suite fell to {value:.1f}%, below {floor:.0f}%")
        failed = True
sys.exit(1 if failed else 0)
PY
