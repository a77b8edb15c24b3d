#!/usr/bin/env bash
# The libFuzzer targets of fuzz/, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/.
#
#   bash scripts/fuzz.sh regress            build, then run every target over its seed corpus
#                                           (what the test command does; seconds)
#   bash scripts/fuzz.sh run SECONDS [NAME...]
#                                           build, then fuzz each target (all, or the NAMEs,
#                                           e.g. fuzz_package) for SECONDS, one after another
#
# A run keeps what it learns in build-fuzz/corpus/NAME/ (the seeds in fuzz/corpus/NAME/ are only
# read). An input that crashes, hangs or takes too much memory is written to
# fuzz/corpus/NAME/ as crash-*, timeout-*, oom-* or leak-*: commit it with the fix, and the
# regression run replays it ever after. Each run ends with its executions and time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

build() {
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVISTREL_FUZZ=ON >/dev/null
  cmake --build build-fuzz --target vistrel_fuzz_targets --parallel "$(nproc)"
}

targets() {
  sed -n '/^set(VISTREL_FUZZ_TARGETS/,/)/p' fuzz/CMakeLists.txt | tr -d '()' |
    grep -o 'fuzz_[a-z0-9_]*'
}

# Limits per target: the package and zip inputs may be as large as a small package, and a
# package of 64 KiB must stay within 64 MiB whatever it holds.
options_for() {
  case "$1" in
    fuzz_package | fuzz_zip_reader) echo "-max_len=65536 -malloc_limit_mb=128 -rss_limit_mb=1024" ;;
    *) echo "-max_len=16384 -rss_limit_mb=1024" ;;
  esac
}

case "${1:-}" in
  regress)
    build
    ctest --test-dir build-fuzz -L fuzz --output-on-failure --parallel "$(nproc)"
    ;;
  run)
    seconds="${2:?usage: scripts/fuzz.sh run SECONDS [NAME...]}"
    shift 2
    build
    names=("$@")
    [ ${#names[@]} -gt 0 ] || mapfile -t names < <(targets)
    summary=()
    for name in "${names[@]}"; do
      mkdir -p "build-fuzz/corpus/$name"
      dict=()
      [ -f "fuzz/dict/$name.dict" ] && dict=("-dict=fuzz/dict/$name.dict")
      log="build-fuzz/$name.log"
      echo "== $name for ${seconds} s"
      status=0
      # shellcheck disable=SC2046
      "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="fuzz/corpus/$name/" $(options_for "$name") "${dict[@]}" \
        "build-fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
      runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
      time="$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' || true)"
      if [ "$status" -ne 0 ]; then
        tail -40 "$log"
        summary+=("$name: FAILED (status $status), see $log")
      else
        summary+=("$name: ${runs:-?} executions in ${time:-?} s")
      fi
    done
    printf '%s\n' "${summary[@]}"
    for line in "${summary[@]}"; do
      case "$line" in *FAILED*) exit 1 ;; esac
    done
    ;;
  *)
    sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
