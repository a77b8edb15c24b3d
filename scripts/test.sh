#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, then every fuzz target over its seed
# corpus (scripts/fuzz.sh regress); ends with ctest's summary of those.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
cd ..
bash scripts/fuzz.sh regress
