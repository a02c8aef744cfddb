#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `start DIR` makes one that listens on a Unix
# socket only and prints its connection URI (also kept in DIR/url); `stop DIR` stops it and
# removes it. initdb refuses root, so as root the cluster runs as a system user of its own.
# The cluster lives under /tmp, in a folder named by a hash of DIR: this user needs no access
# to the folders above DIR, and the socket's path stays short (a socket's path is limited
# to 107 bytes) wherever DIR is.
set -euo pipefail

usage() {
  echo "usage: pg_cluster.sh start|stop DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$(realpath -m "$2")
cluster=/tmp/frostel-pg-$(printf '%s' "$dir" | md5sum | cut -c1-12)
service_user=frostel-pg
superuser=frostel_admin

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$service_user" -- "$@"
  else
    "$@"
  fi
}

stop_cluster() {
  # Nothing in it is worth a shutdown checkpoint.
  if [ -f "$cluster/data/postmaster.pid" ] && [ -x "$bindir/pg_ctl" ]; then
    as_owner "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$cluster" "$dir/url"
}

start_cluster() {
  [ -x "$bindir/pg_ctl" ] || { echo "pg_cluster: PostgreSQL is not installed" >&2; exit 1; }
  stop_cluster  # one left by a run that was killed
  mkdir -p "$dir"
  mkdir -m 700 "$cluster"
  if [ "$(id -u)" -eq 0 ]; then
    id "$service_user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
        "$service_user"
    chown "$service_user" "$cluster"
  fi
  as_owner "$bindir/initdb" -D "$cluster/data" -U "$superuser" --auth=trust --no-sync \
    -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  # Durability is worth nothing in a cluster thrown away after the tests.
  as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 120 \
    -o "-c listen_addresses='' -c unix_socket_directories='$cluster'" \
    -o "-c fsync=off -c synchronous_commit=off -c full_page_writes=off" start >/dev/null ||
    { cat "$cluster/server.log" >&2; exit 1; }
  echo "postgresql://$superuser@/postgres?host=$cluster" | tee "$dir/url"
}

case $action in
  start) start_cluster ;;
  stop) stop_cluster ;;
  *) usage ;;
esac
