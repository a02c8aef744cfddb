#!/usr/bin/env bash
# Installs the three packages that scripts/package.sh built into a clean Debian 12 root made
# from the apt sources this machine already uses, so that a dependency a package fails to
# declare (a Qt plugin, a font, PostgreSQL's tools) fails here rather than on a user's machine,
# and runs them there: a download with its report and archive from the packaged simulator, the
# archive listed, the desktop entry's program and icon, both icons in the package's file list;
# then the archive server (package-server-checks.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

debs=()
for package in frostel frostel-demo frostel-server; do
  found=(build-package/"$package"_*.deb)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || { echo "clean root: no single $package package in build-package/" >&2; exit 1; }
  debs+=("$PWD/${found[0]}")
done
[ "$(id -u)" -eq 0 ] || { echo "clean root: needs root (mmdebstrap, chroot)" >&2; exit 1; }
command -v mmdebstrap >/dev/null || {
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
}

sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -s "$file" ] && sources+=("$file")
done
[ ${#sources[@]} -gt 0 ] || { echo "clean root: this machine has no apt sources" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs inside the root, as its root user with a home of its own.
cat >"$work/checks.sh" <<'EOF'
set -eu
fail() { echo "clean root: $*" >&2; exit 1; }
export HOME=/root QT_QPA_PLATFORM=offscreen
frostel-reader-sim --mission cold-room >/tmp/sim-device &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s /tmp/sim-device ] && break; sleep 0.2; done
device=$(head -n 1 /tmp/sim-device)
[ -n "$device" ] || fail "frostel-reader-sim printed no device"
mkdir -p /tmp/data
frostel-cli --device "$device" --data-folder /tmp/data download --report /tmp/report.pdf \
  --csv /tmp/mission.csv 2>/tmp/download.err || { cat /tmp/download.err >&2; fail "download failed"; }
[ "$(head -c 5 /tmp/report.pdf)" = "%PDF-" ] || fail "no report written"
[ "$(frostel-cli --data-folder /tmp/data archive list | wc -l)" -eq 1 ] ||
  fail "the archive does not list the download"

entry=/usr/share/applications/org.frostel.Frostel.desktop
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
command -v "$program" >/dev/null || fail "Exec=$program does not resolve"
icon=$(sed -n 's/^Icon=//p' "$entry")
ls /usr/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "Icon=$icon does not resolve"
for size in scalable/apps/"$icon".svg 256x256/apps/"$icon".png; do
  dpkg -L frostel | grep -qx "/usr/share/icons/hicolor/$size" || fail "the package lacks $size"
done
echo "clean root: installed and ran $(dpkg-query -W -f='${Version}' frostel)"
EOF

installed=()
for deb in "${debs[@]}"; do
  installed+=("/tmp/$(basename "$deb")")
done
echo "clean root: a Debian root from ${sources[*]}, with ${installed[*]}"
mmdebstrap --quiet --variant=apt --skip=cleanup/reproducible bookworm "$work/root" "${sources[@]}" \
  --customize-hook="copy-in ${debs[*]} $work/checks.sh $PWD/scripts/package-server-checks.sh /tmp" \
  --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ${installed[*]} >/dev/null" \
  --customize-hook='chroot "$1" sh /tmp/checks.sh' \
  --customize-hook='chroot "$1" sh /tmp/package-server-checks.sh' \
  --customize-hook="copy-out /tmp/report.pdf $work"

# The report's text came out of the root: fonts the package needs are there.
pdftotext "$work/report.pdf" - | grep -E "EXCURSION|WITHIN LIMITS" >/dev/null ||
  { echo "clean root: the report holds no verdict text (missing fonts?)" >&2; exit 1; }
