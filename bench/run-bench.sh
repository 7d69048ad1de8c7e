#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times kameola-cli --small over a photo-like corpus against the floor: djpeg decoding every
# JPEG plus reading every other file. Prints images per second, peak memory and the ratio,
# an --update re-run over the unchanged corpus against the full run, a plain re-run (which
# replaces, so flushes, every output but the copies) against the same re-run with the
# flushes taken away, and 10,000 tiny JPEGs with the default workers against --jobs 1.
#
#   bench/run-bench.sh [BUILD_DIR]      (default: build; the corpus is cached in BUILD_DIR/bench-corpus)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/kameola-cli
corpus=$build/bench-corpus
convert=/usr/bin/convert
no_flush=$build/bench/no_flush.so
[ -x "$cli" ] || { echo "build $cli first" >&2; exit 1; }
[ -f "$no_flush" ] || { echo "build $no_flush first" >&2; exit 1; }
for tool in "$convert" /usr/bin/djpeg /usr/bin/time; do
  [ -x "$tool" ] || { echo "missing $tool (imagemagick, libjpeg-turbo-progs, time)" >&2; exit 1; }
done

# Deterministic corpus: 60 JPEGs of 4000 × 3000 (every tenth progressive, every tenth grey,
# some 4:2:2), 10 BMPs of 2000 × 1500, 5 GIFs.
if [ ! -f "$corpus/.complete" ]; then
  rm -rf "$corpus"; mkdir -p "$corpus"
  echo "making the corpus in $corpus ..." >&2
  "$convert" -seed 7 -size 800x600 plasma:fractal -blur 0x1 -resize 4000x3000! \
    -seed 11 -attenuate 0.4 +noise Gaussian "$corpus/base.ppm"
  for i in $(seq -w 1 60); do
    n=$((10#$i)); opts=(-sampling-factor 2x2,1x1,1x1)
    (( n % 10 == 3 )) && opts+=(-interlace Plane)
    (( n % 10 == 7 )) && opts=(-colorspace Gray)
    (( n % 10 == 5 )) && opts=(-sampling-factor 2x1,1x1,1x1)
    "$convert" "$corpus/base.ppm" -modulate 100,100,$((n * 6)) -roll +$((n * 53))+$((n * 31)) \
      "${opts[@]}" -quality 90 "$corpus/photo$i.jpg"
  done
  for i in $(seq -w 1 10); do
    "$convert" "$corpus/base.ppm" -resize 2000x1500! -modulate 100,100,$((10#$i * 17)) -type TrueColor "BMP3:$corpus/scan$i.bmp"
  done
  for i in 1 2 3 4 5; do
    "$convert" -size 640x480 "gradient:red-blue" -rotate $((i * 30)) "$corpus/anim$i.gif"
  done
  rm "$corpus/base.ppm"
  touch "$corpus/.complete"
fi

# 10,000 JPEGs of 64 × 48: ten pictures, each under a thousand names.
tiny=$build/bench-tiny
if [ ! -f "$tiny/.complete" ]; then
  rm -rf "$tiny"; mkdir -p "$tiny"
  echo "making the tiny corpus in $tiny ..." >&2
  for k in 0 1 2 3 4 5 6 7 8 9; do
    "$convert" -seed $((k + 1)) -size 64x48 plasma:fractal -quality 90 "$tiny/t${k}000.jpg"
    for i in $(seq -w 1 999); do cp "$tiny/t${k}000.jpg" "$tiny/t${k}$i.jpg"; done
  done
  touch "$tiny/.complete"
fi

files=("$corpus"/*.jpg "$corpus"/*.bmp "$corpus"/*.gif)
count=${#files[@]}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Seconds and peak kilobytes of one command: "SECONDS KB".
measure() { /usr/bin/time -f '%e %M' -o "$out/time" "$@" >/dev/null 2>&1; cat "$out/time"; }

floor() {
  for f in "$corpus"/*.jpg; do /usr/bin/djpeg "$f" >/dev/null; done
  cat "$corpus"/*.bmp "$corpus"/*.gif >/dev/null
}
export -f floor; export corpus

cat "${files[@]}" >/dev/null  # warm the page cache for both
cpus=$(nproc)
read -r floor_s floor_kb < <(measure bash -c floor)
rm -rf "$out/web"
read -r run_s run_kb < <(measure "$cli" -o "$out/web" --small "${files[@]}")
read -r update_s _ < <(measure "$cli" -o "$out/web" --small --update "${files[@]}")
# Without --update every small image, conversion and the page replace their old files,
# each flushed before it takes the old one's place: against the same re-run with fdatasync
# doing nothing, alternately, best of three each.
rerun_s=999; unflushed_s=999
for _ in 1 2 3; do
  read -r s _ < <(measure "$cli" -o "$out/web" --small "${files[@]}")
  rerun_s=$(awk -v a="$rerun_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
  read -r s _ < <(measure env LD_PRELOAD="$no_flush" "$cli" -o "$out/web" --small "${files[@]}")
  unflushed_s=$(awk -v a="$unflushed_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
done
out_fs=$(findmnt -n -o FSTYPE -T "$out" 2>/dev/null || stat -f -c %T "$out")
load=$(cut -d' ' -f1 /proc/loadavg)
rm -rf "$out/web"
read -r one_s one_kb < <(measure "$cli" -o "$out/web" --small --jobs 1 "${files[@]}")
rm -rf "$out/web"
third=("${files[@]:0:$((count / 3))}")
read -r _ third_kb < <(measure "$cli" -o "$out/web" --small "${third[@]}")
rm -rf "$out/web"
read -r plain_s plain_kb < <(measure "$cli" -o "$out/web" "${files[@]}")

# The tiny entries, alternately, best of three each: the machine's noise hits both alike.
tiny_files=("$tiny"/*.jpg)
cat "${tiny_files[@]}" >/dev/null
tiny_s=999; tiny_one_s=999
for _ in 1 2 3; do
  rm -rf "$out/tiny"; read -r s _ < <(measure "$cli" -o "$out/tiny" --small "${tiny_files[@]}")
  tiny_s=$(awk -v a="$tiny_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
  rm -rf "$out/tiny"; read -r s _ < <(measure "$cli" -o "$out/tiny" --small --jobs 1 "${tiny_files[@]}")
  tiny_one_s=$(awk -v a="$tiny_one_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
done

awk -v n="$count" -v c="$cpus" -v fs="$floor_s" -v rs="$run_s" -v rk="$run_kb" -v os="$one_s" -v ok="$one_kb" \
    -v tk="$third_kb" -v m="${#third[@]}" -v ps="$plain_s" -v pk="$plain_kb" -v us="$update_s" \
    -v rr="$rerun_s" -v nf="$unflushed_s" -v ofs="$out_fs" -v ld="$load" -v ts="$tiny_s" -v t1="$tiny_one_s" -v tn="${#tiny_files[@]}" 'BEGIN {
  printf "entries:                     %d, on %d CPUs\n", n, c
  printf "floor (djpeg+read, 1 core):  %.2f s\n", fs
  printf "--small, default workers:    %.2f s, %.1f images/s, ratio to floor %.2f (goal < 0.55 on 2 cores), peak %.1f MiB (goal < 160)\n", rs, n / rs, rs / fs, rk / 1024
  printf "--small --update re-run:     %.2f s, %.1f %% of the full run (goal <= 5 %%)\n", us, 100 * us / rs
  printf "--small plain re-run:        %.2f s flushed, %.2f s without flushes, ratio %.2f (goal <= 1.10), on %s, load %s\n", rr, nf, rr / nf, ofs, ld
  printf "--small --jobs 1:            %.2f s, ratio to floor %.2f, peak %.1f MiB\n", os, os / fs, ok / 1024
  printf "speed-up of the workers:     %.2f\n", os / rs
  printf "peak with a third:           %.1f MiB with %d entries\n", tk / 1024, m
  printf "without --small:             %.2f s, ratio to floor %.2f, peak %.1f MiB\n", ps, ps / fs, pk / 1024
  printf "%d tiny JPEGs, --small:   default workers %.2f s, --jobs 1 %.2f s, ratio %.2f (goal <= 1.05)\n", tn, ts, t1, ts / t1
}'

# The window listing thousands of files.
if [ -x "$build/bench/list_bench" ]; then
  "$build/bench/list_bench"
fi
