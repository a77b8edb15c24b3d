#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/src/gui/vistrel "$@"
