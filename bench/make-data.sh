#!/usr/bin/env bash
# Makes the large photographs the benchmarks decode: 4000 x 3000 baseline
# JPEG files at quality 90 (12 megapixels, as a school camera gives them),
# resized from the test photos in tests/data/, into bench/data/ (not tracked
# by git).
set -euo pipefail
cd "$(dirname "$0")"
photos=../tests/data/jpeg/photos
mkdir -p data
for name in camera_sony_a6400_DSC00007 camera_nikon_d3100_DSC_0008_orient8 biden \
            obama Portrait_1 obama_and_biden; do
  out="data/${name}_12mp.jpg"
  if [ ! -f "$out" ]; then
    convert "$photos/$name.jpg" -resize '4000x3000!' -quality 90 -interlace none "$out"
  fi
done
ls -l data
