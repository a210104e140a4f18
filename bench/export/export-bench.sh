#!/usr/bin/env bash
# The student-register export of a 3,000-student SQLite site, timed as
# `student-photo-cli export` runs it; then the bytes per photo of a batch
# resize of the same 3,000 photos to 120 x 180, as BMP data (--format bmp)
# and as the JPEG files (quality 90) it writes now.
#
# The site's photos are real photos of people from tests/data/jpeg/photos
# (obama.jpg, obama2.jpg, biden.jpg, obama_and_biden.jpg in turn), each
# student's file a hard link to one of them, so that 3,000 students take no
# room; 60 classes of 50 (6 grades of 10 classes), every 100th student
# without an ID number. The machine's load is printed before and after, as
# the other users of a shared machine change the figures.
#
#   bench/export/export-bench.sh [BUILD_DIR] [STUDENTS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build}
students=${2:-3000}
cli=$build/src/cli/student-photo-cli
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build --target student-photo-cli)" >&2; exit 1; }

work=$(mktemp -d /tmp/sp-export-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
site=$work/site
mkdir -p "$site/upload/StudentPhoto" "$work/sources"
sources=(obama.jpg obama2.jpg biden.jpg obama_and_biden.jpg)
for name in "${sources[@]}"; do cp "$repo/tests/data/jpeg/photos/$name" "$work/sources/$name"; done

{
  echo "create table organization (id integer primary key, name varchar(100), xxbsm varchar(20));"
  echo "insert into organization values (1, 'bench', '4401990001');"
  echo "create table studentbaseinfo (studentcode varchar(40) primary key, name varchar(40), photo varchar(200),"
  echo "  sfzh varchar(18), nj varchar(20), bj varchar(20));"
  echo "begin;"
  for n in $(seq 1 "$students"); do
    code=$(printf 'S%05d' "$n")
    id=$([ $((n % 100)) -eq 0 ] && echo null || printf "'4401062010%08d'" "$n")
    grade=$(((n - 1) / 500 % 6 + 1))
    class=$(((n - 1) / 50 % 10 + 1))
    printf "insert into studentbaseinfo values ('%s', 'student%d', '/upload/StudentPhoto/%s.jpg', %s, 'G%d', 'C%d');\n" \
      "$code" "$n" "$code" "$id" "$grade" "$class"
    ln "$work/sources/${sources[$((n % 4))]}" "$site/upload/StudentPhoto/$code.jpg"
  done
  echo "commit;"
} | sqlite3 "$site/school.db"
. "$repo/bench/web-config.sh"
write_web_config "$site" "server=(local);database=$site/school.db;uid=sa;password=bench;"

export STUDENT_PHOTO_ODBC_DRIVER=SQLite3 STUDENT_PHOTO_SETTINGS=$work/settings.ini
echo "students: $students; load before: $(uptime | sed 's/.*load average: //')"
start=$(date +%s.%N)
"$cli" export --install-dir "$site" --out "$work/register" | head -3 || true
end=$(date +%s.%N)
echo "export: $(echo "$end - $start" | bc) s; load after: $(uptime | sed 's/.*load average: //')"
echo "photos: $(find "$work/register" -name '*.jpg' | wc -l), zips: $(find "$work/register" -name '*.zip' | wc -l)," \
  "bytes per exported photo: $(find "$work/register" -name '*.jpg' -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s / NR }')"

# The batch resize of the same photos, both ways.
for format in bmp jpeg; do
  mkdir -p "$work/resized-$format"
  start=$(date +%s.%N)
  "$cli" resize --source "$site/upload/StudentPhoto" --target "$work/resized-$format" --width 120 --height 180 \
    --format "$format" >/dev/null
  end=$(date +%s.%N)
  bytes=$(find "$work/resized-$format" -type f -printf '%s\n' | awk '{ s += $1; n++ } END { printf "%d files, %d bytes, %d bytes per photo", n, s, s / n }')
  echo "resize as $format: $bytes; $(echo "$end - $start" | bc) s"
done
