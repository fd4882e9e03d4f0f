#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#
# With --package, and under CI=true, it goes on to build the Debian package
# and test it installed, run by an ordinary user and purged
# (tests/package/package-test.sh, as root).
# With CI=true, or --sanitizers, it then builds the asan preset and runs the whole suite again under the address
# and undefined-behaviour sanitizers, the log tools (whose Save Log writes on
# a thread of its own) under the thread sanitizer, then fuzzes the input
# parsers for a minute each (fuzz/run.sh): about twenty minutes more on two
# cores.
# With CI=true, or --checks, it runs clang-tidy and clazy over src/ and sim/
# (scripts/static-checks.sh), the suite under coverage with its floors
# (scripts/coverage.sh), and plants six faults the commit chooses
# (scripts/planted-faults.sh --sample 6): about half an hour more.
# Other arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

extended=false
package=false
checks=false
[ "${CI:-}" = true ] && extended=true && package=true && checks=true
ctest_args=()
for argument in "$@"; do
    case "$argument" in
        --sanitizers) extended=true ;;
        --package) package=true ;;
        --checks) checks=true ;;
        *) ctest_args+=("$argument") ;;
    esac
done

scripts/deps.sh --test
scripts/check-format.sh
scripts/build.sh
ctest --preset dev "${ctest_args[@]}"

if [ "$package" = true ]; then
    echo "== The Debian package: built, checked, installed, run as a user, purged"
    tests/package/package-test.sh
fi

if [ "$checks" = true ]; then
    echo "== Static checks: clang-tidy and clazy"
    scripts/static-checks.sh

    echo "== Coverage of the suite, by layer"
    scripts/coverage.sh

    echo "== Planted faults the suite must catch"
    scripts/planted-faults.sh --sample 6 --no-baseline
fi

if [ "$extended" = true ]; then
    echo "== The whole suite under the address and undefined-behaviour sanitizers"
    scripts/configure.sh asan
    cmake --build --preset asan
    ctest --preset asan "${ctest_args[@]}"

    echo "== The log tools under the thread sanitizer"
    scripts/configure.sh tsan
    cmake --build --preset tsan
    ctest --preset tsan

    echo "== Fuzzing the notation, settings, log and packet parsers"
    fuzz/run.sh
fi
