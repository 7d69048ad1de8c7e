#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times kameola-cli over a folder of 12-megapixel HEIC photos (a full-size JPEG conversion
# and a small image of each) against a sequential `heif-convert -q 90` of the same files to
# JPEG (the full-size JPEG only). Prints both times and the ratio, best of three each, the
# two run alternately so the machine's noise hits both alike.
#
#   bench/heic-bench.sh [BUILD_DIR]   (default: build; the photos are cached in BUILD_DIR/bench-heic)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/kameola-cli
photos=$build/bench-heic
count=${HEIC_COUNT:-8}
for tool in /usr/bin/convert /usr/bin/heif-enc /usr/bin/heif-convert /usr/bin/time; do
  [ -x "$tool" ] || { echo "missing $tool (imagemagick, libheif-examples, time)" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "build $cli first" >&2; exit 1; }

# 4032 × 3024 photo-like pictures, each a different crop and hue, coded at quality 50 as a
# phone does.
if [ ! -f "$photos/.complete" ]; then
  rm -rf "$photos"; mkdir -p "$photos"
  echo "making $count HEIC photos in $photos ..." >&2
  /usr/bin/convert -seed 5 -size 1008x756 plasma:fractal -blur 0x1 -resize 4032x3024! \
    -seed 9 -attenuate 0.3 +noise Gaussian "$photos/base.png"
  for i in $(seq -w 1 "$count"); do
    /usr/bin/convert "$photos/base.png" -modulate 100,100,$((10#$i * 23)) \
      -roll +$((10#$i * 97))+$((10#$i * 41)) "$photos/p.png"
    /usr/bin/heif-enc -q 50 -o "$photos/IMG_$i.HEIC" "$photos/p.png" >/dev/null
  done
  rm -f "$photos/base.png" "$photos/p.png"
  touch "$photos/.complete"
fi

files=("$photos"/*.HEIC)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
seconds() { /usr/bin/time -f '%e' -o "$out/time" "$@" >/dev/null 2>&1; cat "$out/time"; }
sequential() { for f in "$@"; do /usr/bin/heif-convert -q 90 "$f" "$out/ref/$(basename "$f").jpg"; done; }
export -f sequential; export out

cat "${files[@]}" >/dev/null
best_ref=999; best_run=999
for _ in 1 2 3; do
  rm -rf "$out/ref"; mkdir -p "$out/ref"
  s=$(seconds bash -c 'sequential "$@"' _ "${files[@]}")
  best_ref=$(awk -v a="$best_ref" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
  rm -rf "$out/web"
  s=$(seconds "$cli" -q -o "$out/web" "${files[@]}")
  best_run=$(awk -v a="$best_run" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
done
awk -v n="${#files[@]}" -v c="$(nproc)" -v r="$best_ref" -v k="$best_run" 'BEGIN {
  printf "HEIC photos:                 %d of 4032 x 3024, on %d CPUs\n", n, c
  printf "heif-convert -q 90, one by one: %.2f s\n", r
  printf "kameola-cli (conversion + small image): %.2f s, ratio %.2f (goal <= 0.8 on 2 cores)\n", k, k / r
}'
