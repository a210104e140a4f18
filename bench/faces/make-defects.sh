#!/usr/bin/env bash
# Makes the face checks' defect set from the repository's test portraits:
# each portrait untouched and spoiled in each way the checks look for, named
# KIND__PORTRAIT.jpg, plus a 3000 x 4000 portrait for timing.
#   bench/faces/make-defects.sh OUT-FOLDER
# Needs ImageMagick (convert). Byte copies and re-saved copies are the
# duplicate checks' part; they are made here so that one set serves both.
set -euo pipefail
out=${1:?usage: make-defects.sh OUT-FOLDER}
photos="$(cd "$(dirname "$0")/../../tests/data/jpeg/photos" && pwd)"
mkdir -p "$out"
portraits=(obama obama2 biden hopper obama_backstage_the_white_house derived_biden_gray hopper_gray)
for i in "${!portraits[@]}"; do
  name=${portraits[$i]}
  source="$photos/$name.jpg"
  other="$photos/${portraits[$(((i + 1) % ${#portraits[@]}))]}.jpg"
  size=$(identify -format '%wx%h' "$source")
  width=${size%x*}
  height=${size#*x}
  short=$((width < height ? width : height))
  cp "$source" "$out/original__$name.jpg"
  cp "$source" "$out/bytecopy__$name.jpg"
  convert "$source" -resize 70% -quality 70 "$out/resaved__$name.jpg"
  for turn in 90 180 270; do
    convert "$source" -rotate "$turn" -strip "$out/turn${turn}__$name.jpg"
  done
  convert "$source" \( "$other" -resize "x$height" \) +append -quality 90 "$out/sidebyside__$name.jpg"
  convert "$source" -blur "0x$((short / 60 + 1))" -quality 90 "$out/blurred__$name.jpg"
  convert "$source" -evaluate multiply 0.15 -quality 90 "$out/dark__$name.jpg"
  convert "$source" -evaluate multiply 3 -quality 90 "$out/bright__$name.jpg"
  convert "$source" -resize 8% -background gray60 -gravity center -extent "$size" -quality 90 "$out/tiny__$name.jpg"
  convert -size "$size" xc:gray50 -quality 90 "$out/blank__$name.jpg"
done
# Timing: a camera-sized portrait.
convert "$photos/obama.jpg" -resize '3000x4000!' -quality 90 "$out/large-3000x4000.jpg"
