#!/bin/sh
# Runs inside the clean Debian root of package-clean-root.sh, as its root user, once the three
# packages are installed: sets up the archive server as the README does (install, add a user,
# point Frostel at it), then a download and a signature through it, and checks that the user's
# own login cannot write the archive's tables.
set -eu
fail() { echo "clean root: server: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

# Daemons do not start while packages are installed into the root: the cluster is started
# here, on its socket only, with shared memory that needs no /dev/shm.
# Nothing of it may run on once the root is taken down.
cluster=$(pg_lsclusters -h | awk 'NR == 1 { print $1 " " $2 }')
[ -n "$cluster" ] || fail "the postgresql package made no cluster"
sim=""
stop() {
  [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
  pg_ctlcluster $cluster stop --mode fast 2>/dev/null || true
}
trap stop EXIT
pg_conftool $cluster set listen_addresses ''
pg_conftool $cluster set dynamic_shared_memory_type mmap
pg_ctlcluster $cluster start || fail "PostgreSQL did not start"
frostel-server-setup || fail "frostel-server-setup failed"
adduser --disabled-password --gecos "" --quiet ward
frostel-server-adduser ward || fail "frostel-server-adduser failed"
if frostel-server-adduser postgres 2>/dev/null; then
  fail "the server's superuser was made a client"
fi

as_ward="setpriv --reuid=ward --regid=ward --init-groups env HOME=/home/ward USER=ward"
$as_ward frostel-cli archive use postgresql:///frostel | grep -F "ARCHIVE IN USE" >/dev/null ||
  fail "archive use did not point Frostel at the server"

# Accounts are the owner's to turn on; the people then work from the user's login.
printf 'rita-password-1\nrita-password-1\n' |
  runuser -u frostel -- env HOME=/var/lib/frostel-server frostel-cli --archive postgresql:///frostel \
    users init --admin rita --name "Rita Berg" >/dev/null || fail "users init as the owner failed"
once=$(echo rita-password-1 |
  $as_ward frostel-cli --user rita users add ivo --name "Ivo Reviewer" --role reviewer) ||
  fail "users add failed"
printf '%s\nivo-password-22\n' "$once" | $as_ward frostel-cli --user ivo users passwd >/dev/null ||
  fail "users passwd failed"

# The simulator runs as root, as in the first checks, and its device is given to ward as the
# dialout group gives a reader's: in the root, ward may not open the pseudo-terminal its own
# simulator makes.
frostel-reader-sim --mission cold-room >/tmp/ward-sim &
sim=$!
for _ in $(seq 50); do
  [ -s /tmp/ward-sim ] && break
  sleep 0.2
done
device=$(head -n 1 /tmp/ward-sim)
[ -n "$device" ] || fail "frostel-reader-sim printed no device"
chown ward "$device"
echo rita-password-1 | $as_ward frostel-cli --user rita --device "$device" download \
  >/dev/null 2>/tmp/ward.err || { cat /tmp/ward.err >&2; fail "the download into the server failed"; }
echo ivo-password-22 | $as_ward frostel-cli --user ivo sign 1 --meaning reviewed >/dev/null ||
  fail "signing on the server failed"
echo ivo-password-22 | $as_ward frostel-cli --user ivo archive show 1 >/tmp/show.txt ||
  fail "archive show failed"
grep -F "Ivo Reviewer" /tmp/show.txt >/dev/null || fail "the record does not show its signature"
echo ivo-password-22 | $as_ward frostel-cli --user ivo archive verify 1 | grep -F INTACT >/dev/null ||
  fail "the record does not verify"

for write in "UPDATE missions SET verdict = 'WITHIN LIMITS'" "DELETE FROM audit_events" \
  "UPDATE people SET role = 'administrator'"; do
  if $as_ward psql -X -q -d frostel -c "$write" 2>/tmp/psql.err; then
    fail "the user wrote the archive's tables directly: $write"
  fi
  grep -F "permission denied" /tmp/psql.err >/dev/null || { cat /tmp/psql.err >&2; fail "$write"; }
done
echo "clean root: the archive server took a download and a signature, and refused direct writes"
