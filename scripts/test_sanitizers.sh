#!/usr/bin/env bash
# The test suite built again with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/,
# RelWithDebInfo) and run: any report fails the run. CI runs it after the main test command.
#
# Tests of the Qt windows (gui_*, end_to_end_*) and of libmpv (playback_mpv_*) are left out: Qt,
# its platform plugins and libmpv are not built with the sanitizers, and what they allocate once
# and never free, or do on their own threads, would be reported as the program's. Everything the
# core decides is tested here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
ctest --output-on-failure --parallel "$(nproc)" --timeout 900 -E '^(gui_|end_to_end_|playback_mpv_)'
