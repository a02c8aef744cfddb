#!/usr/bin/env bash
# Checks the formatting of every source file (clang-format, the project's .clang-format).
# With --tidy it also runs clang-tidy (the project's .clang-tidy) on every file of the program
# and the simulator, using the compile commands of a built build folder (default: build);
# any finding fails. Two jobs: about ten seconds of CPU a file.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "lint: formatting clean"
[ "${1:-}" = "--tidy" ] || exit 0
build=${2:-build}
mapfile -t sources < <(git ls-files 'src/*.cpp' 'sim/*.cpp' | grep -v '_windows\.cpp$')
# run-clang-tidy colours its output; the colour codes go before the findings are looked for.
run-clang-tidy -quiet -p "$build" -j 2 "${sources[@]/#/$PWD/}" 2>&1 |
  sed 's/\x1b\[[0-9;]*m//g' >"$build/clang-tidy.log" || true
# Only our own files count: in Qt's headers the analyzer takes a single-shot timer's slot,
# which Qt deletes, for a leak.
if grep -E "^$PWD/(src|sim)/.*: (warning|error):" "$build/clang-tidy.log" >&2; then
  echo "lint: clang-tidy found the above" >&2
  exit 1
fi
echo "lint: clang-tidy clean"
