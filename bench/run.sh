#!/usr/bin/env bash
# Builds the benchmarks in Release (build-release/) and runs them three times over, showing the
# median of each (the machine may be shared), then a summary of the load against its floor and
# of the browsing goals. Extra arguments go to vistrel-bench, e.g. --benchmark_filter=Load or
# --benchmark_repetitions=1. Then the program's own start-up on 600k channels, and zapping.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_BENCH=ON >/dev/null
cmake --build build-release --target vistrel-bench vistrel-first-paint vistrel-playlist-first-paint vistrel-zapping \
  --parallel "$(nproc)"
results="$(mktemp --suffix=.json)"
trap 'rm -f "$results"' EXIT
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Of the aggregates only the medians are shown; all of them are in the JSON results.
./build-release/bench/vistrel-bench --benchmark_counters_tabular=true \
  --benchmark_repetitions=3 --benchmark_display_aggregates_only=true \
  --benchmark_out="$results" --benchmark_out_format=json "$@" |
  grep -v -E '_(mean|stddev|cv) '
python3 bench/summarize.py "$results"
# The whole program: start to the first paint of a 600k-channel list, and its memory then.
./build-release/bench/first_paint/vistrel-first-paint
# The same for a 600k-entry M3U playlist given on the command line, then remembered.
./build-release/bench/playlist_first_paint/vistrel-playlist-first-paint
# Page Down between two live channels to the new channel's first frame, with real libmpv.
./build-release/bench/zapping/vistrel-zapping
