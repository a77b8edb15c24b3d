#!/usr/bin/env bash
# Configures and builds Vistrel into build/ (Release with debug info). VISTREL_WERROR=ON in the
# environment turns compiler warnings into errors, as CI does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVISTREL_WERROR="${VISTREL_WERROR:-OFF}" >/dev/null
cmake --build build --parallel "$(nproc)"
