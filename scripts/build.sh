#!/usr/bin/env bash
# Configures and builds the developer preset.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev
