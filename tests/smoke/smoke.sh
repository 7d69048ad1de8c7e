#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the real program under Xvfb, waits for its main window, takes a screenshot,
# checks the window's size, closes it as a window manager would and checks the exit.
# Usage: smoke.sh PROGRAM CLOSE-HELPER OUTPUT-DIR
set -uo pipefail

program=$1
closer=$2
outdir=$3

for tool in Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "smoke test skipped: $tool is not installed"
    exit 0
  fi
done

mkdir -p "$outdir"
inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -uo pipefail
program=$1 closer=$2 outdir=$3
"$program" &
pid=$!
window=
for _ in $(seq 1 150); do
  window=$(xdotool search --onlyvisible --name '^KAMEOLA$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing its window"; exit 1; }
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "no window named KAMEOLA appeared"
  kill "$pid"
  exit 1
fi
sleep 1  # let it paint
import -window root "$outdir/smoke-main-window.png"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
echo "window $window, geometry $geometry"
if [ "$geometry" != "513x464" ]; then
  echo "expected a 513x464 window"
  kill "$pid"
  exit 1
fi
colours=$(convert "$outdir/smoke-main-window.png" -format %k info:)
if [ "$colours" -lt 8 ]; then
  echo "the screenshot has only $colours colours: nothing was drawn"
  kill "$pid"
  exit 1
fi
"$closer" "$window"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end when its window was closed"
  kill "$pid"
  exit 1
fi
wait "$pid"
status=$?
echo "program exit status $status"
exit "$status"
INNER

# Our own server.
. "$(dirname "$0")/../xvfb.sh"
trap 'rm -f "$inner"; [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null && wait "$xpid"' EXIT
start_xvfb || exit 1
bash "$inner" "$program" "$closer" "$outdir"
status=$?
[ "$status" -eq 0 ] && echo "smoke test passed; screenshot in $outdir/smoke-main-window.png"
exit "$status"
