#!/usr/bin/env bash
# Starts and stops the throwaway PostgreSQL server of the database tests and
# the benchmark: a fresh cluster in a temporary folder, listening on
# 127.0.0.1 only, on a free port, with password logins.
#
#   pg-server.sh start STATE_DIR   writes STATE_DIR/port, STATE_DIR/admin-password
#                                  and STATE_DIR/data (the cluster's folder)
#   pg-server.sh stop STATE_DIR    stops the server and removes its folder
#   pg-server.sh halt STATE_DIR    stops the server at once, as a crash would,
#                                  keeping its data (a test's lost database)
#   pg-server.sh resume STATE_DIR  starts a halted server again on its port
#
# The tests log in as "postgres" with the admin password to make a database
# per test, owned by the role "school" (password "school-pw"), which the
# Web.config of each test site names.
set -euo pipefail

action=${1:?usage: pg-server.sh start|stop|halt|resume STATE_DIR}
state=${2:?usage: pg-server.sh start|stop|halt|resume STATE_DIR}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
  echo "pg-server: PostgreSQL is not installed (scripts/setup installs it)" >&2
  exit 1
fi

# initdb and the server refuse to run as root: run them as the postgres user
# then, in folders that user owns.
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(runuser -u postgres --)
fi

stop() {
  if [ -f "$state/data" ]; then
    local data
    data=$(cat "$state/data")
    if [ -f "$data/cluster/postmaster.pid" ]; then
      # A test that stopped the server with SIGSTOP may have ended without
      # letting it go on.
      local postmaster
      postmaster=$(head -n 1 "$data/cluster/postmaster.pid")
      kill -CONT "$postmaster" $(pgrep -P "$postmaster") 2>/dev/null || true
      "${as_owner[@]}" "$bindir/pg_ctl" -D "$data/cluster" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$data"
  fi
  rm -f "$state/data" "$state/port" "$state/admin-password"
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# A throwaway cluster: no flushing to disk, so that making a database per
# test stays quick. Commits still reach the kernel before they return (no
# synchronous_commit=off), so that a server halted as a crash would be keeps
# every committed row, as a real one does.
run_server() {
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$1/cluster" -l "$1/server.log" -w -t 30 \
    -o "-p $2 -c listen_addresses=127.0.0.1 -k $1 -c fsync=off -c full_page_writes=off" \
    start >/dev/null 2>&1
}

halt() {
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$(cat "$state/data")/cluster" -m immediate -w stop >/dev/null
}

resume() {
  run_server "$(cat "$state/data")" "$(cat "$state/port")"
}

start() {
  stop
  mkdir -p "$state"
  local data
  data=$(mktemp -d "${TMPDIR:-/tmp}/sp-pg.XXXXXX")
  echo "$data" >"$state/data"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$data"
  fi
  local password
  password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  printf '%s\n' "$password" >"$data/pwfile"
  [ "$(id -u)" -ne 0 ] || chown postgres: "$data/pwfile"

  "${as_owner[@]}" "$bindir/initdb" -D "$data/cluster" -U postgres --pwfile="$data/pwfile" \
    --auth=scram-sha-256 -E UTF8 --no-locale >"$data/initdb.log" 2>&1 \
    || { cat "$data/initdb.log" >&2; exit 1; }
  rm -f "$data/pwfile"

  local port started=""
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    port_in_use "$port" && continue
    if run_server "$data" "$port"; then
      started=yes
      break
    fi
  done
  if [ -z "$started" ]; then
    cat "$data/server.log" >&2 || true
    echo "pg-server: the server did not start" >&2
    exit 1
  fi

  PGPASSWORD=$password psql -X -q -h 127.0.0.1 -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
    -c "create role school login password 'school-pw' createdb" >/dev/null

  echo "$port" >"$state/port"
  echo "$password" >"$state/admin-password"
  echo "pg-server: PostgreSQL on 127.0.0.1:$port ($data)"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  halt) halt ;;
  resume) resume ;;
  *) echo "usage: pg-server.sh start|stop|halt|resume STATE_DIR" >&2; exit 2 ;;
esac
