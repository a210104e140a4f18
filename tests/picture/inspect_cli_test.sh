#!/usr/bin/env bash
# Runs `student-photo-cli inspect` from outside, as users and the fuzzing
# scripts do: its lines, its exit codes and the BMP file it writes.
set -uo pipefail
cli="$1"
data="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

check() {   # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

out="$("$cli" inspect "$data/jpeg/photos/obama.jpg" "$data/bmpsuite/g/pal8.bmp" "$data/jpeg/photos/hopper_gray.jpg" 2>&1)"
check "usable files exit 0" 0 $?
check "usable files print kind, size and depth" \
  "$data/jpeg/photos/obama.jpg: JPEG image, 910 x 1137, 24 bits per pixel
$data/bmpsuite/g/pal8.bmp: Bitmap, 127 x 64, 8 bits per pixel
$data/jpeg/photos/hopper_gray.jpg: JPEG image, 128 x 128, 8 bits per pixel" "$out"

cp "$data/bmpsuite/g/rgb24.bmp" "$work/bmp-named.jpg"
: > "$work/empty.jpg"
mkfifo "$work/pipe.jpg"
err="$("$cli" inspect "$work/bmp-named.jpg" "$work/empty.jpg" "$data/bmpsuite/b/badplanes.bmp" \
        "$work/missing.bmp" "$work/noextension" "$work/pipe.jpg" 2>&1 >/dev/null)"
check "failing files exit 1" 1 $?
check "failing files print the exact messages" \
  "$work/bmp-named.jpg: JPEG error #53
$work/empty.jpg: JPEG error #42
$data/bmpsuite/b/badplanes.bmp: Bitmap image is not valid
$work/missing.bmp: Cannot open file \"$work/missing.bmp\". No such file or directory
$work/noextension: Unknown picture file extension (.)
$work/pipe.jpg: Cannot open file \"$work/pipe.jpg\". Not a regular file" "$err"

"$cli" inspect "$data/jpeg/photos/obama-240p.jpg" --to-bmp "$work/out.jpg" >/dev/null 2>&1
check "--to-bmp exits 0" 0 $?
check "--to-bmp writes a 32-bit BMP of the picture's size" 409974 "$(stat -c %s "$work/out.jpg")"
check "--to-bmp writes BMP data whatever the name" "BM" "$(head -c 2 "$work/out.jpg")"
reread="$("$cli" inspect "$work/out.jpg" 2>&1)"
check "the written file reads as a JPEG name holding BMP data" "$work/out.jpg: JPEG error #53" "$reread"
cp "$work/out.jpg" "$work/out.bmp"
check "the written file reads back as a Bitmap" "$work/out.bmp: Bitmap, 427 x 240, 32 bits per pixel" \
  "$("$cli" inspect "$work/out.bmp" 2>&1)"

for usage in "" "--to-bmp" "--bogus $data/jpeg/photos/hopper.jpg" \
             "$data/jpeg/photos/hopper.jpg $data/jpeg/photos/obama.jpg --to-bmp $work/two.bmp"; do
  # shellcheck disable=SC2086
  "$cli" inspect $usage >/dev/null 2>&1
  check "wrong usage '$usage' exits 2" 2 $?
done

[ "$failures" -eq 0 ] && echo "all inspect checks passed"
exit "$failures"
