#!/usr/bin/env bash
# Process-level comparison: every photo of bench/data/ loaded and drawn once
# onto one 120 x 180 surface by picture_draw_files, against a loop of
# `djpeg -outfile /dev/null FILE` over the same photos. Best of ROUNDS.
#   bench/compare-djpeg.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build="$(realpath "${1:?build directory}")"
rounds="${2:-5}"
cd "$(dirname "$0")"
tool="$build/bench/picture/picture_draw_files"
[ -x "$tool" ] || { echo "no $tool: build the target picture_draw_files first" >&2; exit 1; }
photos=(data/*_12mp.jpg)
[ -e "${photos[0]}" ] || { echo "run bench/make-data.sh first" >&2; exit 1; }

best() {   # best SECONDS... -> the smallest
  printf '%s\n' "$@" | sort -g | head -1
}
seconds() {   # seconds COMMAND... -> wall seconds of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
djpeg_all() {
  for photo in "${photos[@]}"; do djpeg -outfile /dev/null "$photo"; done
}

ours=() floor=()
for _ in $(seq "$rounds"); do
  floor+=("$(seconds djpeg_all)")
  ours+=("$(seconds "$tool" "${photos[@]}")")
done
f=$(best "${floor[@]}")
o=$(best "${ours[@]}")
printf '%d photos, best of %d rounds\n' "${#photos[@]}" "$rounds"
awk -v f="$f" -v o="$o" -v n="${#photos[@]}" 'BEGIN {
  printf "djpeg -outfile /dev/null : %.3f s (%.1f ms a photo)\n", f, f * 1000 / n
  printf "load + draw to 120x180   : %.3f s (%.1f ms a photo)\n", o, o * 1000 / n
  printf "ratio                    : %.2f\n", o / f
}'
