#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests of the server mode.
#   pgcluster.sh start STATE INITDB   makes a cluster in a new temporary folder (as the postgres
#                                     user when run as root: initdb refuses root), listening on
#                                     127.0.0.1 only at a free port, and in it the database
#                                     kaede_template made by INITDB (kaedemaru-initdb) as the owner
#                                     kaede_owner, that each test copies; writes STATE/conninfo for
#                                     the tests: the login kaede_app, which may only use rows.
#   pgcluster.sh restart STATE        restarts it as a server restart would (every session cut).
#   pgcluster.sh stop STATE           stops it at once and removes its folder.
# A cluster left behind by a run that was cut short is stopped by the next start.
set -euo pipefail
command=$1
state=$2
bindir=$(pg_config --bindir 2>/dev/null || true)
[ -x "$bindir/pg_ctl" ] || bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop_cluster() {
  if [ -f "$state/cluster" ]; then
    local dir
    dir=$(cat "$state/cluster")
    if [ -d "$dir/data" ]; then
      as_postgres "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    case "$dir" in /tmp/kaede-pg.*) rm -rf "$dir" ;; esac
    rm -f "$state/cluster" "$state/conninfo"
  fi
}

case "$command" in
start)
  initdb_tool=$3
  stop_cluster
  mkdir -p "$state"
  dir=$(mktemp -d /tmp/kaede-pg.XXXXXX)
  echo "$dir" >"$state/cluster"
  chmod 755 "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
  as_postgres "$bindir/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log"; exit 1; }
  # Durability is of no use to data thrown away after the run.
  options="-c listen_addresses=127.0.0.1 -k $dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    if as_postgres "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$options -p $port" start >/dev/null; then
      # As at a school: the tables belong to an owner, and the program works as a login
      # that may only read and write their rows (the tests add user=postgres for the rest).
      "$bindir/psql" -q -X -v ON_ERROR_STOP=1 "host=127.0.0.1 port=$port user=postgres dbname=postgres" \
        -c "CREATE ROLE kaede_owner LOGIN CREATEDB" -c "CREATE ROLE kaede_app LOGIN"
      "$initdb_tool" --server "host=127.0.0.1 port=$port user=kaede_owner dbname=kaede_template" --grant kaede_app
      echo "host=127.0.0.1 port=$port user=kaede_app" >"$state/conninfo"
      echo "PostgreSQL test cluster at 127.0.0.1:$port in $dir"
      exit 0
    fi
  done
  cat "$dir/server.log"
  exit 1
  ;;
restart)
  dir=$(cat "$state/cluster")
  as_postgres "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -m fast -w -t 30 restart >/dev/null
  ;;
stop)
  stop_cluster
  ;;
*)
  echo "usage: $0 start STATE INITDB | restart STATE | stop STATE" >&2
  exit 2
  ;;
esac
