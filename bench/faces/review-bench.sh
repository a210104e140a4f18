#!/usr/bin/env bash
# The proof sheet's face review as `assign --dry-run` runs it, on a class of
# STUDENTS (default 300) on an SQLite site: new photos of 1200 x 1800, the
# site's current photos of 120 x 180, both of real people (the labelled faces
# of tests/data/faces, AT&T Laboratories Cambridge's, enlarged onto a grey
# background; student i is person (i - 1) mod 40 + 1, a new photo of another
# day than the site's). Each photo differs from every other in one pixel, so
# that no two files are one picture.
#
# Prints, each with the load average it was measured under:
#   - djpeg decoding the new photos in full, one after the other (one core);
#   - the first plan (no descriptors kept yet) and the second plan of the
#     class (the site's descriptors kept in the data folder), as seconds and
#     as times the djpeg figure.
# The machine may be shared: run it again when the load is high.
#
#   bench/faces/review-bench.sh [BUILD_DIR] [STUDENTS] [JOBS]
#
# JOBS is given to --jobs (default: none, one thread per core). With
# SP_BENCH_KEEP=FOLDER the site, photos and data are made there and kept.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build}
students=${2:-300}
jobs=${3:-}
cli=$build/src/cli/student-photo-cli
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build --target student-photo-cli)" >&2; exit 1; }
faces=$repo/tests/data/faces/orl

# An ASCII path: the SQLite ODBC driver cannot open a database under another.
if [ -n "${SP_BENCH_KEEP:-}" ]; then
  work=$SP_BENCH_KEEP
  rm -rf "$work" && mkdir -p "$work"
else
  work=$(mktemp -d /tmp/sp-review-bench.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
site=$work/site
mkdir -p "$site/upload/StudentPhoto" "$work/photos" "$work/bases"

sqlite3 "$work/school.db" <<SQL
create table organization (id integer primary key, name varchar(100));
insert into organization values (1, 'bench');
create table studentbaseinfo (studentcode varchar(40) primary key, name varchar(40), photo varchar(200));
with recursive n(i) as (select 1 union all select i + 1 from n where i < $students)
  insert into studentbaseinfo select printf('S%05d', i), 'student ' || i, printf('/upload/StudentPhoto/S%05d.jpg', i) from n;
SQL
cat >"$site/Web.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<configuration><appSettings>
  <add key="ConnectionString" value="server=(local);database=$work/school.db;uid=sa;password=unused;" />
</appSettings></configuration>
XML
seq -f 'S%05g' 1 "$students" >"$work/roster.txt"

# Each person's two portraits as PPM, once: the new photo's (photo 4 of the
# set, 800 pixels wide in 1200 x 1800) and the site's (photo 1, 80 wide in
# 120 x 180). An enlarged photo is smoother than a camera's: noise is added
# until a new photo's JPEG file is about as large as a camera's portrait of
# that size (about 500 KB), which is what decoding it costs.
for person in $(seq 1 40); do
  convert "$faces/s${person}_4.bmp" -filter Lanczos -resize 800x -gravity center -background 'rgb(96,96,96)' \
    -extent 1200x1800 -seed "$person" -attenuate 0.35 +noise Gaussian -depth 8 "ppm:$work/bases/new$person.ppm"
  convert "$faces/s${person}_1.bmp" -filter Lanczos -resize 80x -gravity center -background 'rgb(96,96,96)' \
    -extent 120x180 -depth 8 "ppm:$work/bases/site$person.ppm"
done
# Student i's photos: the person's portraits with the first pixel set to i,
# encoded by cjpeg at quality 90.
python3 - "$work" "$students" <<'PY'
import subprocess, sys
work, students = sys.argv[1], int(sys.argv[2])
def jpeg(base, number, out):
    data = bytearray(open(base, 'rb').read())
    # The header is three lines: P6, width and height, 255.
    start = data.index(b'\n', data.index(b'\n', data.index(b'\n') + 1) + 1) + 1
    data[start:start + 3] = bytes([(number >> 16) & 255, (number >> 8) & 255, number & 255])
    with open(out, 'wb') as f:
        subprocess.run(['cjpeg', '-quality', '90'], input=bytes(data), stdout=f, check=True)
for i in range(1, students + 1):
    person = (i - 1) % 40 + 1
    jpeg(f'{work}/bases/new{person}.ppm', i, f'{work}/photos/{i:05d}.jpg')
    jpeg(f'{work}/bases/site{person}.ppm', i, f'{work}/site/upload/StudentPhoto/S{i:05d}.jpg')
PY
rm -rf "$work/bases"

load() { cut -d' ' -f1-3 /proc/loadavg; }
seconds() { # COMMAND...: its wall-clock seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || [ $? -eq 3 ]
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }'
}
decode_all() { for photo in "$work"/photos/*.jpg; do djpeg -outfile /dev/null "$photo"; done; }
dry_run() {
  STUDENT_PHOTO_ODBC_DRIVER=SQLite3 STUDENT_PHOTO_DATA="$work/data" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    "$cli" assign --install-dir "$site/" --roster "$work/roster.txt" --photos "$work/photos" --dry-run \
    ${jobs:+--jobs "$jobs"}
}

echo "students: $students, cores: $(nproc), jobs: ${jobs:-one per core}"
echo "new photos: $(du -sh "$work/photos" | cut -f1), site photos: $(du -sh "$site/upload/StudentPhoto" | cut -f1)"
djpeg_load=$(load)
djpeg_s=$(seconds decode_all)
echo "djpeg, the new photos in full, one core: $djpeg_s s   (load $djpeg_load)"
first_load=$(load)
first_s=$(seconds dry_run)
echo "first plan:  $first_s s = $(awk -v a="$first_s" -v b="$djpeg_s" 'BEGIN { printf "%.2f", a / b }') x djpeg   (load $first_load)"
second_load=$(load)
second_s=$(seconds dry_run)
echo "second plan: $second_s s = $(awk -v a="$second_s" -v b="$djpeg_s" 'BEGIN { printf "%.2f", a / b }') x djpeg   (load $second_load)"
echo "descriptor cache: $(stat -c %s "$work"/data/faces/*/descriptors.bin) bytes"
