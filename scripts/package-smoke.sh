#!/usr/bin/env bash
# Checks the packages that scripts/package.sh built, installs the program's and the
# simulator's on this machine with apt-get, runs the installed programs as an ordinary user
# would, and removes the packages and those they pulled in again, also when a check fails.
# The server's package is checked by lintian here and installed in the clean root only, where
# no other PostgreSQL server runs.
set -euo pipefail
cd "$(dirname "$0")/.."

one_package() {
  local debs=(build-package/"$1"_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "smoke: no single $1 package in build-package/" >&2; exit 1; }
  echo "$PWD/${debs[0]}"
}
deb=$(one_package frostel)
demo_deb=$(one_package frostel-demo)
server_deb=$(one_package frostel-server)
version=$(dpkg-deb -f "$deb" Version)
desktop_id=org.frostel.Frostel

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
if dpkg-query -W -f='${Status}' frostel 2>/dev/null | grep -q "install ok installed"; then
  echo "smoke: frostel is installed already; remove it first" >&2
  exit 1
fi

fail() { echo "smoke: $*" >&2; exit 1; }

echo "smoke: lintian"
lintian --fail-on error --info "$deb" "$demo_deb" "$server_deb"
[ "$(dpkg-deb -f "$server_deb" Version)" = "$version" ] && [ "$(dpkg-deb -f "$demo_deb" Version)" = "$version" ] ||
  fail "the three packages are not of one version"
if dpkg-deb -c "$deb" | grep -F frostel-reader-sim >/dev/null; then
  fail "the program's package holds the simulator"
fi
dpkg-deb -f "$deb" Suggests | grep -F frostel-demo >/dev/null ||
  fail "the program's package does not suggest frostel-demo"

work=$(mktemp -d)
chmod 755 "$work"
added=()
sim_pid=""
frostel_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  [ -z "$frostel_pid" ] || kill -KILL "$frostel_pid" 2>/dev/null || true
  # The package and what it pulled in go; everything that was here before stays.
  if [ ${#added[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq \
      -o DPkg::Lock::Timeout=300 "${added[@]}" >/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "smoke: installing $deb and $demo_deb"
installed() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '/^ii/ { print $2 }' | sort; }
installed >"$work/before"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=300 "$deb" "$demo_deb" >"$work/apt.log" 2>&1 || true
mapfile -t added < <(installed | comm -13 "$work/before" -)
dpkg-query -W -f='${Status}' frostel 2>/dev/null | grep -q "install ok installed" ||
  { cat "$work/apt.log" >&2; fail "apt-get could not install $deb"; }

desktop-file-validate "/usr/share/applications/$desktop_id.desktop"
appstreamcli validate --no-net --pedantic "/usr/share/metainfo/$desktop_id.metainfo.xml"

# The programs run as nobody with a home of their own: the user an installed Frostel is for.
home="$work/home"
mkdir -m 700 "$home" "$work/runtime"
chown nobody:nogroup "$home" "$work/runtime"
as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups
  env -i HOME="$home" XDG_RUNTIME_DIR="$work/runtime" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen)

echo "smoke: one version, manual pages"
grep -F "<release version=\"$version\"" "/usr/share/metainfo/$desktop_id.metainfo.xml" >/dev/null ||
  fail "the metadata's release is not $version"
for page in frostel frostel-cli frostel-reader-sim; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page"
  zcat "/usr/share/man/man1/$page.1.gz" | grep -F "Frostel $version" >/dev/null ||
    fail "the manual page of $page is not of $version"
done

echo "smoke: frostel-cli --version and --help"
[ "$("${as_user[@]}" frostel-cli --version)" = "frostel-cli $version" ] ||
  fail "frostel-cli --version is not $version"
"${as_user[@]}" frostel-cli --help | grep -F "usage: frostel-cli" >/dev/null ||
  fail "frostel-cli --help printed no usage"

echo "smoke: frostel-cli id on frostel-reader-sim"
coproc SIM { exec "${as_user[@]}" frostel-reader-sim --mission cold-room; }
sim_pid=$SIM_PID
read -r -t 10 device <&"${SIM[0]}" || fail "frostel-reader-sim printed no device"
id=$("${as_user[@]}" frostel-cli --device "$device" id) || fail "frostel-cli id failed on $device"
[[ "$id" =~ ^41[0-9A-F]{14}$ ]] || fail "frostel-cli id printed '$id'"
kill "$sim_pid"
wait "$sim_pid" || true
sim_pid=""

# Starts the installed frostel for the home $1 as `$@` (a user and its environment), closes it
# the way a logout does once it has started up, and checks that it kept its files in that
# home's per-user folder, never beside the installed program.
run_frostel() {
  local home=$1
  shift
  local folder="$home/.config/frostel"
  "$@" frostel >"$work/frostel.log" 2>&1 &
  frostel_pid=$!
  # The first-start marker is written before the window opens.
  for _ in $(seq 100); do
    [ -f "$folder/install.usb" ] || ! kill -0 "$frostel_pid" 2>/dev/null && break
    sleep 0.2
  done
  [ -f "$folder/install.usb" ] || { cat "$work/frostel.log" >&2; fail "no install.usb in $folder"; }
  kill -TERM "$frostel_pid"
  for _ in $(seq 100); do
    kill -0 "$frostel_pid" 2>/dev/null || break
    sleep 0.2
  done
  ! kill -0 "$frostel_pid" 2>/dev/null || fail "frostel did not end on SIGTERM"
  wait "$frostel_pid" || { cat "$work/frostel.log" >&2; fail "frostel did not end cleanly"; }
  frostel_pid=""
  [ "$(head -n 1 "$folder/SETUP.FRG")" = $'English\r' ] || fail "no settings written to $folder"
  [ "$(sed -n 2p "$folder/SETUP.FRG")" = "$home/Documents"$'\r' ] ||
    fail "the data folder is not the documents folder"
  [ -f "$folder/standard.tee" ] || fail "no chart template written to $folder"
  [ ! -e /usr/bin/SETUP.FRG ] || fail "settings written beside the installed program"
}

echo "smoke: frostel, offscreen"
run_frostel "$home" "${as_user[@]}"
# Root may write /usr/bin, yet an installed copy keeps its files per user all the same.
echo "smoke: frostel, offscreen, as root"
root_home="$work/root-home"
mkdir -m 700 "$root_home"
run_frostel "$root_home" "${sudo_cmd[@]}" env -i HOME="$root_home" XDG_RUNTIME_DIR="$root_home" \
  PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen
echo "smoke: frostel $version installed and ran; removing it"
