#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the database tests.
#   pg_cluster.sh start <info-file>   makes a cluster in a fresh temporary
#       folder on a free loopback port and writes "<folder> <port>" to
#       <info-file>; the superuser is "qvtest" with password "qvtest", the
#       database "qv7411".
#   pg_cluster.sh stop|restart|halt|resume <info-file>
#       stop: ends the server and removes the folder; halt/resume: stops and
#       starts the same cluster (the tests' server outage); restart: both.
# The server refuses to run as root: as root (CI, or the mapped root of an
# `unshare -r` namespace) it runs as an unprivileged user of a private user
# namespace, or else as the system user "postgres".
set -euo pipefail
action=$1
info=$2
bin=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || true)
[ -x "$bin/pg_ctl" ] || { echo "PostgreSQL 15 is not installed" >&2; exit 1; }

as_user() {
  if [ "$(id -u)" -ne 0 ]; then
    "$@"
  elif unshare --user --map-user=65534 --map-group=65534 true 2>/dev/null; then
    unshare --user --map-user=65534 --map-group=65534 "$@"
  else
    runuser -u postgres -- "$@"
  fi
}

server_start() { # folder port
  as_user "$bin/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 30 \
    -o "-c listen_addresses=127.0.0.1 -c port=$2 -c unix_socket_directories='' -c fsync=off" start >/dev/null
}

case $action in
start)
  folder=$(mktemp -d "${TMPDIR:-/tmp}/qv-pgtest.XXXXXX")
  chmod 755 "$folder"
  if [ "$(id -u)" -eq 0 ] && ! unshare --user --map-user=65534 --map-group=65534 true 2>/dev/null; then
    chown postgres "$folder"
  fi
  printf 'qvtest\n' >"$folder/pw"
  as_user "$bin/initdb" -D "$folder/data" -U qvtest --pwfile="$folder/pw" -A scram-sha-256 -E UTF8 \
    --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
  for try in $(seq 1 20); do
    port=$((20000 + RANDOM % 30000))
    if server_start "$folder" "$port" 2>/dev/null; then
      PGPASSWORD=qvtest "$bin/psql" -h 127.0.0.1 -p "$port" -U qvtest -d postgres -qc "create database qv7411" >/dev/null
      echo "$folder $port" >"$info"
      exit 0
    fi
  done
  cat "$folder/server.log" >&2
  exit 1
  ;;
stop | halt | resume | restart)
  read -r folder port <"$info"
  case $action in
  halt) as_user "$bin/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null ;;
  resume) server_start "$folder" "$port" ;;
  restart)
    as_user "$bin/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null
    server_start "$folder" "$port"
    ;;
  stop)
    as_user "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$folder" "$info"
    ;;
  esac
  ;;
*)
  echo "usage: $0 start|stop|halt|resume|restart <info-file>" >&2
  exit 2
  ;;
esac
