#!/usr/bin/env bash
# Sets up the machine, checks the formatting, builds, runs clang-tidy over the program's
# sources, and runs every test: once plain, once under AddressSanitizer and
# UndefinedBehaviorSanitizer (any report fails the run), then the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/lint.sh

jobs=$(nproc)
# CTest starts and removes the throwaway PostgreSQL clusters of the shared archive's tests;
# this removes them too when a run is cut short.
trap 'for b in build build-asan; do bash scripts/pg_cluster.sh stop "$b/tests/pg"; done' EXIT
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
# After the build, so that the compile commands and the generated headers exist.
bash scripts/lint.sh --tidy build
ctest --test-dir build --output-on-failure -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFROSTEL_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The file readers, the decoding and the link's byte parsing under libFuzzer, bounded.
bash scripts/fuzz.sh 12
