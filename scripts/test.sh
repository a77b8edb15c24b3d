#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
