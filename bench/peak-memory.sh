#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Peak memory of a run over 16 tiny BMPs that each declare a picture just under the picture
# storage limit (16384 × 21845, 24-bit: 1,073,725,440 bytes in a 58-byte file), at
# --jobs 1, 8 and 64. The pictures in flight share one budget, so the peak stays near one
# picture whatever the job count. Prints the peak resident size of each run and its ratio
# to the --jobs 1 run.
#
#   bench/peak-memory.sh [BUILD_DIR]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/kameola-cli
[ -x "$cli" ] || { echo "build $cli first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=()
for i in $(seq -w 1 16); do
  # BITMAPFILEHEADER (size 58, pixels at 54), BITMAPINFOHEADER 16384 × 21845 × 24, 4 bytes.
  printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\0\x40\0\0\x55\x55\0\0\x01\0\x18\0%b\x12\x34\x56\x78' \
    "$(printf '\\0%.0s' $(seq 24))" > "$work/huge$i.bmp"
  files+=("$work/huge$i.bmp")
done
[ "$(stat -c %s "$work/huge01.bmp")" = 58 ] || { echo "bad test file" >&2; exit 1; }

base=0
printf '%-8s %14s %8s %10s\n' jobs "peak RSS (MiB)" ratio seconds
for jobs in 1 8 64; do
  rm -rf "$work/out"
  start=$(date +%s.%N)
  # --link: the pictures are read for their size only, no conversion is written.
  /usr/bin/time -f %M -o "$work/rss" "$cli" -o "$work/out" --link --jobs "$jobs" "${files[@]}" \
    >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$(date +%s.%N)
  kib=$(cat "$work/rss")
  [ "$base" = 0 ] && base=$kib
  printf '%-8s %14d %8.2f %10.1f\n' "$jobs" $((kib / 1024)) "$(echo "$kib / $base" | bc -l)" \
    "$(echo "$end - $start" | bc -l)"
done
