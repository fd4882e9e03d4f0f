#!/usr/bin/env bash
# Configures and builds the developer preset.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh dev
cmake --build --preset dev
