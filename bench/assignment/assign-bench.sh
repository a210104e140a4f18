#!/usr/bin/env bash
# The assignment run of 5,000 students against a throwaway PostgreSQL server,
# beside psql executing the same 5,000 update statements from one file in one
# session. Both write one row per statement with the server's autocommit;
# the run also copies each photo (a 120 x 180 JPEG) into the site. Each round
# runs once on an empty site, then twice over the filled site (every photo
# and value replaced): with the journal and without it.
#
#   bench/assignment/assign-bench.sh [BUILD_DIR] [STUDENTS] [ROUNDS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build}
students=${2:-5000}
rounds=${3:-3}
bench=$build/bench/assignment/assign_bench
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target assign_bench)" >&2; exit 1; }

work=$(mktemp -d /tmp/sp-assign-bench.XXXXXX)
state=$work/pg-state
"$repo/tests/support/pg-server.sh" start "$state" >/dev/null
trap '"$repo/tests/support/pg-server.sh" stop "$state"; rm -rf "$work"' EXIT
port=$(cat "$state/port")
export PGPASSWORD=school-pw
psql_school() { psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U school "$@"; }

psql_school -d postgres -c "create database bench"
psql_school -d bench <<SQL
create table organization (id integer primary key, name varchar(100));
insert into organization values (1, 'bench');
create table studentbaseinfo (studentcode varchar(40) primary key, name varchar(40), photo varchar(200));
insert into studentbaseinfo
  select 'S' || lpad(n::text, 5, '0'), 'student ' || n, '' from generate_series(1, $students) n;
SQL

site=$work/site
mkdir -p "$site/upload/StudentPhoto" "$work/photos"
. "$repo/bench/web-config.sh"
write_web_config "$site" "server=127.0.0.1,$port;database=bench;uid=school;password=school-pw;"
photo=$work/one.jpg
convert -seed 1 -size 120x180 plasma:steelblue-white -quality 90 "$photo"
: >"$work/roster.txt"
: >"$work/updates.sql"
for n in $(seq -f '%05g' 1 "$students"); do
  cp "$photo" "$work/photos/$n.jpg"
  printf 'S%s\r\n' "$n" >>"$work/roster.txt"
  printf "update studentbaseinfo set photo='/upload/StudentPhoto/S%s.jpg' where studentcode='S%s' ;\n" "$n" "$n" \
    >>"$work/updates.sql"
done

reset_rows() { psql_school -d bench -c "update studentbaseinfo set photo=''" -c "vacuum studentbaseinfo" >/dev/null; }
# Dead row versions left by the last run would slow the next one down.
settle() { psql_school -d bench -c "vacuum studentbaseinfo" >/dev/null; sync; }
run() { "$bench" "$site/" "$work/roster.txt" "$work/photos" "PostgreSQL Unicode" "$@"; }

echo "students: $students, rounds: $rounds, photo: $(stat -c %s "$photo") bytes"
for round in $(seq 1 "$rounds"); do
  reset_rows
  rm -f "$site/upload/StudentPhoto/"*
  echo "round $round  empty site,  $(run)"
  # Over the filled site every photo file and column value is replaced, which
  # is what the journal keeps; the two runs take turns going first.
  for variant in $([ $((round % 2)) -eq 1 ] && echo "journal plain" || echo "plain journal"); do
    settle
    if [ "$variant" = journal ]; then
      echo "round $round  filled site, $(run "$work/journal")"
      rm -rf "$work/journal"
    else
      echo "round $round  filled site, $(run)"
    fi
  done
  reset_rows
  start=$(date +%s.%N)
  psql_school -d bench -f "$work/updates.sql" >/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v n="$students" \
    'BEGIN { printf "round %d  psql -f (one session): seconds %.3f  statements/s %.0f\n", '"$round"', e - s, n / (e - s) }'
done
