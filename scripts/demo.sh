#!/usr/bin/env bash
# Sets up the machine, builds, and shows the reader link at work on the simulated reader.
# Until the command-line tool and the windows land, the demo runs the link's own tests,
# which drive every reader command against the in-process simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
./build/tests/link/link_commands_test
