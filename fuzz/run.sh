#!/usr/bin/env bash
# Runs one fuzz target for a while over its corpus.
#   fuzz/run.sh bmp|jpeg|jpeg-roundtrip [SECONDS] [extra libFuzzer options...]
# New inputs go into fuzz/corpus/<kind>/, crashes into fuzz/findings/<kind>/.
# Build first with fuzz/build.sh.
set -euo pipefail
cd "$(dirname "$0")"
kind="${1:?bmp, jpeg or jpeg-roundtrip}"
seconds="${2:-60}"
shift $(( $# >= 2 ? 2 : 1 ))
case "$kind" in
  bmp) target=out/FuzzBmpLoad ;;
  jpeg) target=out/FuzzJpegDecode ;;
  jpeg-roundtrip) target=out/FuzzJpegRoundTrip ;;
  *) echo "unknown fuzz target $kind" >&2; exit 2 ;;
esac
mkdir -p "corpus/$kind" "findings/$kind"
# 2 GB memory and 10 s per input: a decoder must stay well inside both.
exec "$target" "corpus/$kind" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=1048576 \
     -artifact_prefix="findings/$kind/" -print_final_stats=1 "$@"
