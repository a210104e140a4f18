#!/usr/bin/env bash
# The proof sheet's face review as `assign --dry-run` runs it, on a class of
# STUDENTS (default 300) on an SQLite site: new photos of 1200 x 1800, the
# site's current photos of 120 x 180, both of real people (the labelled faces
# of tests/data/faces, AT&T Laboratories Cambridge's, enlarged onto a grey
# background; student i is person (i - 1) mod 40 + 1, a new photo of another
# day than the site's). Each photo carries its student's number in a corner,
# so that no two files are one picture.
#
# Prints, each with the load average it was measured under, in seconds of
# wall clock and of processor time (all threads):
#   - djpeg decoding the new photos in full, one after the other (one core);
#   - the first plan (no descriptors kept yet) and the second plan of the
#     class (the site's descriptors kept in the data folder), also as times
#     the djpeg figures.
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
. "$repo/bench/web-config.sh"
write_web_config "$site" "server=(local);database=$work/school.db;uid=sa;password=unused;"
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
# Student i's photos: the person's portraits with i written in their top
# left corner (its bits as a row of 8 x 8 black or white squares, which
# survive the JPEG encoding), encoded by cjpeg at quality 90.
python3 - "$work" "$students" <<'PY'
import subprocess, sys
work, students = sys.argv[1], int(sys.argv[2])
def jpeg(base, number, out):
    data = bytearray(open(base, 'rb').read())
    # The header is three lines: P6, width and height, 255.
    start = data.index(b'\n', data.index(b'\n', data.index(b'\n') + 1) + 1) + 1
    width = int(data[3:start].split()[0])
    for bit in range(13):
        level = 255 if (number >> bit) & 1 else 0
        for y in range(8):
            at = start + (y * width + bit * 8) * 3
            data[at:at + 24] = bytes([level]) * 24
    with open(out, 'wb') as f:
        subprocess.run(['cjpeg', '-quality', '90'], input=bytes(data), stdout=f, check=True)
for i in range(1, students + 1):
    person = (i - 1) % 40 + 1
    jpeg(f'{work}/bases/new{person}.ppm', i, f'{work}/photos/{i:05d}.jpg')
    jpeg(f'{work}/bases/site{person}.ppm', i, f'{work}/site/upload/StudentPhoto/S{i:05d}.jpg')
PY
rm -rf "$work/bases"

load() { cut -d' ' -f1-3 /proc/loadavg; }
# COMMAND...: "WALL CPU", its wall-clock and processor seconds (user and
# system, all threads); what it says goes to $work/said.txt.
measure() {
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" "$@" >"$work/said.txt" 2>&1 || [ $? -eq 3 ]
  awk 'END { printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/time.txt" # the last line: time says an exit code first
}
decode_all=(bash -c 'for photo in "$1"/*.jpg; do djpeg -outfile /dev/null "$photo"; done' - "$work/photos")
dry_run=(env STUDENT_PHOTO_ODBC_DRIVER=SQLite3 STUDENT_PHOTO_DATA="$work/data" HOME="$work"
  XDG_CONFIG_HOME="$work/config" "$cli" assign --install-dir "$site/" --roster "$work/roster.txt"
  --photos "$work/photos" --dry-run ${jobs:+--jobs "$jobs"})
# NAME WALL CPU LOAD [REFERENCE_WALL REFERENCE_CPU]
report() {
  printf '%-12s %7.2f s  (processor %7.2f s)' "$1" "$2" "$3"
  [ -n "${5:-}" ] && awk -v w="$2" -v c="$3" -v rw="$5" -v rc="$6" \
    'BEGIN { printf "  = %.2f x djpeg  (processor %.2f x)", w / rw, c / rc }'
  printf '   load %s\n' "$4"
}

echo "students: $students, cores: $(nproc), jobs: ${jobs:-one per core}"
echo "new photos: $(du -sh "$work/photos" | cut -f1), site photos: $(du -sh "$site/upload/StudentPhoto" | cut -f1)"
l=$(load); read -r djpeg_wall djpeg_cpu < <(measure "${decode_all[@]}")
report "djpeg" "$djpeg_wall" "$djpeg_cpu" "$l"
l=$(load); read -r wall cpu < <(measure "${dry_run[@]}")
grep -q '试运行' "$work/said.txt" || { echo "the dry run made no plan:" >&2; tail -5 "$work/said.txt" >&2; exit 1; }
report "first plan" "$wall" "$cpu" "$l" "$djpeg_wall" "$djpeg_cpu"
l=$(load); read -r wall cpu < <(measure "${dry_run[@]}")
report "second plan" "$wall" "$cpu" "$l" "$djpeg_wall" "$djpeg_cpu"
echo "descriptor cache: $(stat -c %s "$work"/data/faces/*/descriptors.bin) bytes"
