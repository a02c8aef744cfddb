#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (ASan + UBSan), seeds them from files the
# program writes, and runs each for a bounded time; any finding fails.
#   scripts/fuzz.sh [SECONDS_PER_HARNESS]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-15}"
harnesses=(chart_document data_file decoding link settings)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFROSTEL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_seeds "${harnesses[@]/#/fuzz_}"

corpus=build-fuzz/corpus
rm -rf "$corpus"
QT_QPA_PLATFORM=offscreen ./build-fuzz/tests/fuzz/fuzz_seeds "$corpus"
for harness in "${harnesses[@]}"; do
  echo "fuzz_$harness: ${seconds} s"
  ./build-fuzz/tests/fuzz/fuzz_"$harness" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix=build-fuzz/"$harness"- \
    "$corpus/$harness" 2>&1 | grep -E "^stat::number_of_executed_units|ERROR|SUMMARY|Done" || true
  # libFuzzer leaves a crash-/leak-/timeout- file for every finding.
  if compgen -G "build-fuzz/$harness-*" >/dev/null; then
    echo "fuzz_$harness found a fault: $(ls build-fuzz/"$harness"-*)" >&2
    exit 1
  fi
done
