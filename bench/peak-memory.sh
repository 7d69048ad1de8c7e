#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Peak memory of runs over hostile sets, at --jobs 1, 8 and 64 (PEAK_JOBS to choose, PEAK_SETS
# to pick sets by name). The pictures in flight share one budget of the picture storage
# limit (1 GiB), so each peak should stay under 1.5 GiB whatever the job count:
#   tiny-bmp     16 BMPs of 58 bytes each declaring 16384 × 21845 × 24 bits (1,073,725,440
#                bytes of pixels), linked in place: read for their size only;
#   progressive  8 progressive JPEGs declaring 12000 × 12500: the codec keeps every
#                coefficient of a multi-scan stream while it decodes (about 430 MiB each);
#   noise-bmp    8 names of one 1 GiB BMP of noise, converted to JPEG: each conversion
#                waits in memory for its turn to be written.
# Prints the peak resident size of each run, its ratio to the set's --jobs 1 run, the
# time and whether the peak is under 1.5 GiB.
#
#   bench/peak-memory.sh [BUILD_DIR]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/kameola-cli
[ -x "$cli" ] || { echo "build $cli first" >&2; exit 1; }
for tool in /usr/bin/time /usr/bin/cjpeg; do
  [ -x "$tool" ] || { echo "missing $tool (time, libjpeg-turbo-progs)" >&2; exit 1; }
done
jobs_list=${PEAK_JOBS:-1 8 64}
sets=${PEAK_SETS:-tiny-bmp progressive noise-bmp}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_tiny_bmp() {
  for i in $(seq -w 1 16); do
    # BITMAPFILEHEADER (size 58, pixels at 54), BITMAPINFOHEADER 16384 × 21845 × 24, 4 bytes.
    printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\0\x40\0\0\x55\x55\0\0\x01\0\x18\0%b\x12\x34\x56\x78' \
      "$(printf '\\0%.0s' $(seq 24))" > "$work/huge$i.bmp"
  done
  [ "$(stat -c %s "$work/huge01.bmp")" = 58 ] || { echo "bad test file" >&2; exit 1; }
}

make_progressive() {
  { printf 'P6\n12000 12500\n255\n'; head -c 450000000 /dev/zero; } |
    /usr/bin/cjpeg -progressive -quality 20 > "$work/prog1.jpg"
  for i in 2 3 4 5 6 7 8; do cp "$work/prog1.jpg" "$work/prog$i.jpg"; done
}

make_noise_bmp() {
  # 16384 × 21845 × 24 bits of noise: just under the storage limit, as a real scan could be.
  printf 'BM\x36\xc0\xff\x3f\0\0\0\0\x36\0\0\0\x28\0\0\0\0\x40\0\0\x55\x55\0\0\x01\0\x18\0%b' \
    "$(printf '\\0%.0s' $(seq 24))" > "$work/noise1.bmp"
  head -c 1073725440 /dev/urandom >> "$work/noise1.bmp"
  for i in 2 3 4 5 6 7 8; do ln "$work/noise1.bmp" "$work/noise$i.bmp"; done
}

# peak NAME OPTIONS... -- FILES...: one line per job count.
peak() {
  local name=$1 base=0 opts=() kib start end
  shift
  while [ "$1" != -- ]; do opts+=("$1"); shift; done
  shift
  for jobs in $jobs_list; do
    rm -rf "$work/out"
    start=$(date +%s.%N)
    /usr/bin/time -f %M -o "$work/rss" "$cli" -o "$work/out" "${opts[@]}" --jobs "$jobs" "$@" \
      >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s.%N)
    kib=$(cat "$work/rss")
    [ "$base" = 0 ] && base=$kib
    printf '%-12s %-6s %14d %8.2f %10.1f %8s\n' "$name" "$jobs" $((kib / 1024)) \
      "$(echo "$kib / $base" | bc -l)" "$(echo "$end - $start" | bc -l)" \
      "$( [ "$kib" -lt $((1536 * 1024)) ] && echo yes || echo NO)"
  done
  rm -rf "$work/out"
}

printf '%-12s %-6s %14s %8s %10s %8s\n' set jobs "peak RSS (MiB)" ratio seconds "< 1.5 GiB"
for set in $sets; do
  case $set in
    # --link: the pictures are read for their size only, no conversion is written.
    tiny-bmp) make_tiny_bmp; peak tiny-bmp --link -- "$work"/huge*.bmp ;;
    progressive) make_progressive; peak progressive --link -- "$work"/prog*.jpg ;;
    noise-bmp) make_noise_bmp; peak noise-bmp -- "$work"/noise*.bmp ;;
    *) echo "no set $set" >&2; exit 1 ;;
  esac
  rm -f "$work"/*.bmp "$work"/*.jpg
done
