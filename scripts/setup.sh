#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, when missing.
# Runs as root (or through sudo); without root, ask an administrator to install the list below.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libsodium-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libxkbcommon-dev libvulkan-dev libgl-dev
  libgtest-dev googletest
  clang libclang-rt-14-dev clang-format clang-tidy
  xvfb xauth
  poppler-utils sqlite3
  postgresql libqt6sql6-psql libpq-dev
  g++-mingw-w64-x86-64-posix
  dpkg-dev file lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: not root; install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
