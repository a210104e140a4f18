#!/usr/bin/env bash
# Runs the inspect command from outside, as users and the fuzzing scripts do:
# its lines, its exit codes and the BMP file it writes.
#   inspect_cli_test.sh DATA_DIR COMMAND...   (student-photo-cli inspect, or picture-inspect)
# With INSPECT_UNDER_WINE set the command is a Windows program run by Wine,
# which shows the Linux root as drive Z: and ends its lines with CR LF.
set -uo pipefail
data="$1"
shift
inspect=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

check() {   # check NAME EXPECTED ACTUAL
  local actual="${3//$'\r'/}"
  if [ "$2" != "$actual" ]; then
    echo "FAIL $1: expected [$2], got [$actual]"
    failures=$((failures + 1))
  fi
}

full_path() {   # full_path PATH -> PATH as the program names it in messages
  if [ -n "${INSPECT_UNDER_WINE:-}" ]; then
    printf 'Z:%s' "${1//\//\\}"
  else
    printf '%s' "$1"
  fi
}

out="$("${inspect[@]}" "$data/jpeg/photos/obama.jpg" "$data/bmpsuite/g/pal8.bmp" "$data/jpeg/photos/hopper_gray.jpg" 2>&1)"
check "usable files exit 0" 0 $?
check "usable files print kind, size and depth" \
  "$data/jpeg/photos/obama.jpg: JPEG image, 910 x 1137, 24 bits per pixel
$data/bmpsuite/g/pal8.bmp: Bitmap, 127 x 64, 8 bits per pixel
$data/jpeg/photos/hopper_gray.jpg: JPEG image, 128 x 128, 8 bits per pixel" "$out"

check "a photo stored sideways is shown upright, its orientation named" \
  "$data/jpeg/photos/Portrait_6.jpg: JPEG image, 1200 x 1800, 24 bits per pixel, EXIF orientation 6: stored 1800 x 1200, shown upright" \
  "$("${inspect[@]}" "$data/jpeg/photos/Portrait_6.jpg" 2>&1)"

cp "$data/bmpsuite/g/rgb24.bmp" "$work/bmp-named.jpg"
: > "$work/empty.jpg"
pipe=()
if [ -z "${INSPECT_UNDER_WINE:-}" ]; then
  mkfifo "$work/pipe.jpg"   # a named pipe would make reading wait for ever
  pipe=("$work/pipe.jpg")
fi
err="$("${inspect[@]}" "$work/bmp-named.jpg" "$work/empty.jpg" "$data/bmpsuite/b/badplanes.bmp" \
        "$work/missing.bmp" "$work/noextension" "${pipe[@]}" 2>&1 >/dev/null)"
check "failing files exit 1" 1 $?
check "failing files print the exact messages" \
  "$work/bmp-named.jpg: JPEG error #53
$work/empty.jpg: JPEG error #42
$data/bmpsuite/b/badplanes.bmp: Bitmap image is not valid
$work/missing.bmp: Cannot open file \"$(full_path "$work/missing.bmp")\". No such file or directory
$work/noextension: Unknown picture file extension (.)${pipe:+
$work/pipe.jpg: Cannot open file \"$(full_path "$work/pipe.jpg")\". Not a regular file}" "$err"

"${inspect[@]}" "$data/jpeg/photos/obama-240p.jpg" --to-bmp "$work/out.jpg" >/dev/null 2>&1
check "--to-bmp exits 0" 0 $?
check "--to-bmp writes a 32-bit BMP of the picture's size" 409974 "$(stat -c %s "$work/out.jpg")"
check "--to-bmp writes BMP data whatever the name" "BM" "$(head -c 2 "$work/out.jpg")"
reread="$("${inspect[@]}" "$work/out.jpg" 2>&1)"
check "the written file reads as a JPEG name holding BMP data" "$work/out.jpg: JPEG error #53" "$reread"
cp "$work/out.jpg" "$work/out.bmp"
check "the written file reads back as a Bitmap" "$work/out.bmp: Bitmap, 427 x 240, 32 bits per pixel" \
  "$("${inspect[@]}" "$work/out.bmp" 2>&1)"

for usage in "" "--to-bmp" "--bogus $data/jpeg/photos/hopper.jpg" \
             "$data/jpeg/photos/hopper.jpg $data/jpeg/photos/obama.jpg --to-bmp $work/two.bmp"; do
  # shellcheck disable=SC2086
  "${inspect[@]}" $usage >/dev/null 2>&1
  check "wrong usage '$usage' exits 2" 2 $?
done

[ "$failures" -eq 0 ] && echo "all inspect checks passed"
exit "$failures"
