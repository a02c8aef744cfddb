#!/usr/bin/env bash
# Sets up the machine, builds, and starts Frostel on the simulated reader: frostel-reader-sim
# serves a logger holding a four-day cold-room mission on a pseudo-terminal, linked as
# ports/COM1 in the demo's program folder, whose settings name port 1. Press "Load Data".
# Closing the window stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target frostel frostel-reader-sim frostel-cli

folder="$PWD/demo-run"
mkdir -p "$folder/missions"
# The program keeps its files beside itself, so the demo runs a copy in its own folder.
cp build/src/app/frostel "$folder/frostel"
printf 'USB\r\n' >"$folder/install.usb"
printf 'English\r\n%s\r\n 1 \r\n' "$folder/missions" >"$folder/SETUP.FRG"

coproc SIM { exec ./build/sim/pty/frostel-reader-sim --program-folder "$folder" --port 1 \
  --mission cold-room; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r device <&"${SIM[0]}"
echo "simulated reader on $device, linked as $folder/ports/COM1"
./build/src/cli/frostel-cli --program-folder "$folder" --port 1 id

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting Frostel on a virtual X server (xvfb-run), nothing will show" >&2
  xvfb-run -a "$folder/frostel"
else
  "$folder/frostel"
fi
