#!/usr/bin/env bash
# Builds the picture component's libFuzzer targets (BMP loading, JPEG
# decoding, JPEG decoding then writing and decoding again) with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer into fuzz/out/, and seeds their corpora in
# fuzz/corpus/ from the tests' images (tests/data/, the malformed files the
# fuzzers turned up among them). Usage: fuzz/build.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$root/fuzz/out"
testdata="$root/tests/data"
mkdir -p "$out/obj"

flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
       -fno-sanitize-recover=undefined -I"$root/src")
sources=("$root"/src/picture/*.cpp "$root"/src/picture/detail/*.cpp)

# The component's sources once, then each target against them.
objects=()
for source in "${sources[@]}"; do
  object="$out/obj/${source#"$root"/src/picture/}"
  object="${object%.cpp}.o"
  mkdir -p "$(dirname "$object")"
  if [ ! -f "$object" ] || [ "$source" -nt "$object" ] || [ "$0" -nt "$object" ] \
     || [ -n "$(find "$root/src/picture" -name '*.h' -newer "$object" -print -quit)" ]; then
    clang++ "${flags[@]}" -c "$source" -o "$object"
  fi
  objects+=("$object")
done
for target in FuzzBmpLoad FuzzJpegDecode FuzzJpegRoundTrip; do
  clang++ "${flags[@]}" -fsanitize=fuzzer "$root/fuzz/$target.cpp" "${objects[@]}" -ljpeg -lexif -o "$out/$target"
done

seed() {   # seed CORPUS FILES...
  local corpus="$root/fuzz/corpus/$1"
  shift
  mkdir -p "$corpus"
  for file in "$@"; do
    [ -f "$file" ] && cp -n "$file" "$corpus/$(md5sum "$file" | cut -c1-16)"
  done
  return 0
}
seed bmp "$testdata"/bmpsuite/*/*.bmp "$testdata"/malformed/*.bmp
# Small JPEG files only: large photos slow every iteration down.
jpegs=$(find "$testdata/jpeg" "$testdata/malformed" -name '*.jpg' -size -64k 2>/dev/null)
seed jpeg $jpegs
# The round trip starts from the same files: most of them decode.
seed jpeg-roundtrip $jpegs
echo "fuzz targets in $out: $(cd "$out" && ls Fuzz*)"
