#!/usr/bin/env bash
# Sets up the machine, builds, starts the simulated reader on a pseudo-terminal (linked as
# ports/COM1 in demo-run/) and asks it for the logger's identity and status with frostel-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target frostel-reader-sim frostel-cli

folder="$PWD/demo-run"
mkdir -p "$folder"
coproc SIM { exec ./build/sim/pty/frostel-reader-sim --program-folder "$folder" --port 1; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r device <&"${SIM[0]}"
echo "simulated reader on $device (linked as $folder/ports/COM1)"

for command in id status "read-page 16"; do
  echo "\$ frostel-cli --program-folder demo-run --port 1 $command"
  # shellcheck disable=SC2086
  ./build/src/cli/frostel-cli --program-folder "$folder" --port 1 $command
done
