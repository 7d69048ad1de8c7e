#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main window as a screen reader reads it: the program under Xvfb on a session bus
# with the AT-SPI bus, walked by accessibility-bus.py. Skips (77) where the AT-SPI pieces
# are not installed.
#   accessibility-bus.sh PROGRAM
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
if [ ! -x "$launcher" ] || ! command -v dbus-run-session >/dev/null ||
   ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "skipped: at-spi2-core, dbus or python3-pyatspi missing"
  exit 77
fi
if [ "${1:-}" != --inside ]; then
  exec dbus-run-session -- "$0" --inside "$program"
fi
program=$2
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
"$launcher" --launch-immediately >/dev/null 2>&1 &
bus=$!
trap 'kill "$xvfb" "$bus" ${app:-} 2>/dev/null || true' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
sleep 1
"$program" >/dev/null 2>&1 &
app=$!
/usr/bin/python3 "$here/accessibility-bus.py"
