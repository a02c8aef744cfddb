#!/usr/bin/env bash
# Checks the formatting of every source file (clang-format, the project's .clang-format).
# With --tidy it also runs clang-tidy (the project's .clang-tidy) on every file of the program
# and the simulator, using the compile commands of a configured build folder (default: build);
# any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "lint: formatting clean"
[ "${1:-}" = "--tidy" ] || exit 0
build=${2:-build}
mapfile -t sources < <(git ls-files 'src/*.cpp' 'sim/*.cpp' | grep -v '_windows\.cpp$')
# run-clang-tidy colours its output; the colour codes go before the findings are looked for.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${sources[@]/#/$PWD/}" 2>&1 |
  sed 's/\x1b\[[0-9;]*m//g' >"$build/clang-tidy.log" || true
if grep -E "^/.*: (warning|error):" "$build/clang-tidy.log" >&2; then
  echo "lint: clang-tidy found the above" >&2
  exit 1
fi
echo "lint: clang-tidy clean"
