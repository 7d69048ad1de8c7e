#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times two builds of kameola-cli over the same corpus, alternately, so the machine's noise
# hits both alike: a change's cost against the build before it. Prints the median and best
# of each and the ratio of the medians (second over first).
#
#   bench/paired-run.sh BASE_CLI NEW_CLI [ROUNDS] [-- OPTIONS...]
#     (default: 7 rounds of --small over the corpus bench/run-bench.sh makes in build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base=$1 new=$2
shift 2
rounds=7
if [ $# -gt 0 ] && [ "$1" != -- ]; then rounds=$1; shift; fi
[ "${1:-}" = -- ] && shift
options=("$@")
[ ${#options[@]} -eq 0 ] && options=(--small)
corpus=${CORPUS:-$root/build/bench-corpus}
[ -f "$corpus/.complete" ] || { echo "make the corpus first: bench/run-bench.sh" >&2; exit 1; }
for cli in "$base" "$new"; do [ -x "$cli" ] || { echo "not a program: $cli" >&2; exit 1; }; done

files=("$corpus"/*.jpg "$corpus"/*.bmp "$corpus"/*.gif)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
seconds() {
  rm -rf "$out/web"
  /usr/bin/time -f '%e' -o "$out/time" "$@" -o "$out/web" "${options[@]}" "${files[@]}" \
    >/dev/null 2>&1
  cat "$out/time"
}

cat "${files[@]}" >/dev/null
: >"$out/base"; : >"$out/new"
for _ in $(seq "$rounds"); do
  seconds "$base" >>"$out/base"
  seconds "$new" >>"$out/new"
done
summary() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%.2f %.2f\n", v[int((NR + 1) / 2)], v[1] }'; }
read -r base_median base_best < <(summary "$out/base")
read -r new_median new_best < <(summary "$out/new")
awk -v n="${#files[@]}" -v r="$rounds" -v bm="$base_median" -v bb="$base_best" -v nm="$new_median" \
    -v nb="$new_best" -v o="${options[*]}" -v ld="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
  printf "%d entries, %s, %d rounds each, load %s at the end\n", n, o, r, ld
  printf "base: median %.2f s, best %.2f s\n", bm, bb
  printf "new:  median %.2f s, best %.2f s\n", nm, nb
  printf "ratio of medians %.3f, of bests %.3f (goal <= 1.05)\n", nm / bm, nb / bb
}'
