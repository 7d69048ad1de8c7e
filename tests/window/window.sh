#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Real-window tests: the program on its own Xvfb, with or without a window manager,
# driven with xdotool as a user would, keyboard and mouse.
# Usage: window.sh PROGRAM BIN-DIR OUTPUT-DIR SCENARIO WM
#   BIN-DIR holds x11_close_window and x11_shown_popups; WM is openbox or none.
#   SCENARIO add-by-typing: add two files by typed names, answer 作成 at the first click,
#     make the page and read it back, then 参照 after the run with and without text.
#   SCENARIO style-dialog: open HTMLの設定 and take its picture.
#   SCENARIO large-folder: in both picture dialogs, open typed folders of 2,000 and 20,000
#     pictures; right after, a click selects a file and キャンセル closes the dialog.
#   SCENARIO full-disk: twelve files named on the command line, copied into a 64 KiB tmpfs
#     (the program in a mount namespace of its own): the warning box, then 結果報告.
set -uo pipefail

program=$1 bindir=$2 outdir=$3 scenario=$4 wm=$5

for tool in Xvfb xdotool import convert iconv; do
  command -v "$tool" >/dev/null || { echo "window test skipped: $tool is not installed"; exit 0; }
done
if [ "$wm" != none ] && ! command -v "$wm" >/dev/null; then
  echo "window test skipped: $wm is not installed"
  exit 0
fi
mkdir -p "$outdir"
shot=$outdir/$scenario-$wm

fail() {
  echo "FAIL: $*"
  import -window root "$shot-failure.png" 2>/dev/null
  exit 1
}

# Waits up to 15 s for a shown window whose name matches $1; prints its id.
wait_window() {
  local id
  for _ in $(seq 1 75); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Waits up to 15 s until no shown window's name matches $1.
wait_gone() {
  for _ in $(seq 1 75); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  return 1
}

# Clicks at client coordinates $2,$3 of window $1.
click() {
  xdotool mousemove --window "$1" "$2" "$3" && sleep 0.2 && xdotool click 1
}

# Fails when a popup window (such as a completion list) is left on screen.
no_popups() {
  local popups
  popups=$("$bindir/x11_shown_popups")
  [ -z "$popups" ] || fail "a popup window is still shown after $1: $popups"
}

alive() {
  kill -0 "$pid" 2>/dev/null || fail "the program ended $1"
}

# Waits for the completion list that typing opens. The list opens only on a key typed into
# the box, so when the folder was read only after the last key ($1), that key is typed
# again until the list comes.
await_completion() {
  for _ in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    [ -n "$("$bindir/x11_shown_popups")" ] && return 0
    xdotool key BackSpace
    xdotool type --delay 20 "$1"
  done
  return 1
}

# Types a folder's path and Return in the open picture dialog: the folder opens, the dialog
# stays and no completion list is left over it.
open_typed_folder() {
  xdotool type --delay 20 "$1"
  await_completion "${1: -1}" || fail "no completion list opened while typing $1"
  xdotool key Return
  sleep 1
  [ -n "$(xdotool search --onlyvisible --name '^開く$' 2>/dev/null)" ] || fail "the picture dialog closed on the folder $1"
  no_popups "opening the typed folder $1"
}

# Adds $1 through 追加 by its typed name ($3: the folder to open first by its typed path,
# after which the name is typed alone).
add_by_typing() {
  click "$main" 117 220                                   # 追加
  dialog=$(wait_window '^開く$') || fail "追加 showed no dialog"
  sleep 1
  import -window root "$shot-picture-dialog-$2.png"
  if [ -n "${3:-}" ]; then
    open_typed_folder "$3"
    xdotool type --delay 20 "$(basename "$1")"
  else
    xdotool type --delay 20 "$1"
  fi
  # The completion list must be up, or the check after closing would prove nothing.
  await_completion "${1: -1}" || fail "no completion list opened while typing $1"
  import -window root "$shot-typing-$2.png"
  xdotool key Return
  wait_gone '^開く$' || fail "the picture dialog stayed after adding $1"
  sleep 0.5
}

scenario_add_by_typing() {
  # xdotool types ASCII reliably; the page itself is checked for Japanese elsewhere.
  pics=$HOME/pictures
  out=$HOME/web/gallery
  mkdir -p "$pics"
  convert -size 64x48 xc:red "$pics/first.jpg"
  convert -size 48x64 xc:blue "$pics/second.jpg"

  click "$main" 290 254                                   # 出力先ディレクトリ
  xdotool type --delay 10 "$out"

  convert -size 64x48 xc:green "$pics/firsts.jpg"          # so that the name completes
  add_by_typing "$pics/first.jpg" 1 "$pics"
  import -window root "$shot-after-adding.png"
  no_popups "adding by a typed name"

  click "$main" 469 220                                   # 作成: asks whether to create the folder
  question=$(wait_window '^確認$') || fail "the first click on 作成 asked nothing"
  xdotool key Escape                                      # No
  wait_gone '^確認$' || fail "the question stayed"

  add_by_typing "$pics/second.jpg" 2
  no_popups "adding a second file by its typed name"

  click "$main" 469 220
  wait_window '^確認$' >/dev/null || fail "作成 asked nothing the second time"
  xdotool key Return                                      # Yes: create the folder
  report=$(wait_window '^結果報告$') || fail "the run did not report completion"
  sleep 0.5
  import -window root "$shot-report.png"
  # Wide enough that the frame's buttons leave the caption whole.
  report_width=$(xdotool getwindowgeometry "$report" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  [ "${report_width:-0}" -ge 220 ] || fail "the 結果報告 box is ${report_width}px wide"
  xdotool key Return
  wait_gone '^結果報告$' || fail "the completion notice stayed"

  [ -f "$out/index.htm" ] || fail "no page was written"
  page=$(iconv -f CP932 -t UTF-8 "$out/index.htm") || fail "the page is not CP932"
  # Both cells, in list order, with the sizes read from the two pictures.
  cells=$(grep -o '<IMG SRC="[^"]*" WIDTH=[0-9]* HEIGHT=[0-9]*' <<<"$page" | tr '\n' '|')
  expected='<IMG SRC="first.jpg" WIDTH=100 HEIGHT=75|<IMG SRC="second.jpg" WIDTH=100 HEIGHT=133|'
  [ "$cells" = "$expected" ] || { echo "$page"; fail "cells $cells, expected $expected"; }

  # 参照 right after the run, with the output field as the run left it, then cleared.
  for round in kept cleared; do
    if [ "$round" = cleared ]; then
      click "$main" 290 254
      xdotool key ctrl+a BackSpace
    fi
    click "$main" 484 254                                 # 参照
    wait_window '出力先ディレクトリの設定' >/dev/null || fail "参照 showed no folder chooser ($round)"
    sleep 0.5
    xdotool key Escape
    wait_gone '出力先ディレクトリの設定' || fail "the folder chooser stayed ($round)"
    alive "after 参照 with the output field $round"
    no_popups "the folder chooser ($round)"
  done

  # A folder typed into the folder chooser and taken with Return.
  mkdir -p "$HOME/web/typed"
  click "$main" 484 254
  wait_window '出力先ディレクトリの設定' >/dev/null || fail "参照 showed no folder chooser (typed)"
  sleep 0.5
  xdotool type --delay 20 "$HOME/web/typ"
  await_completion p || fail "no completion list opened in the folder chooser"
  xdotool type --delay 20 "ed"
  xdotool key Return
  sleep 0.5
  if xdotool search --onlyvisible --name '出力先ディレクトリの設定' >/dev/null 2>&1; then
    no_popups "opening the folder typed into the folder chooser"
    xdotool key Return                                    # the folder shown is chosen
  fi
  wait_gone '出力先ディレクトリの設定' || fail "the folder chooser stayed after a typed folder"
  no_popups "choosing the folder typed into the folder chooser"
}

scenario_style_dialog() {
  click "$main" 457 388                                   # HTMLの設定
  style=$(wait_window '^HTMLの設定$') || fail "HTMLの設定 showed no dialog"
  sleep 1
  import -window root "$shot.png"
  xdotool key Return                                      # 設定完了 has the focus
  wait_gone '^HTMLの設定$' || fail "設定完了 did not close the dialog"
}

# A folder $1 of $2 copies of one small JPEG, made in one go: the copies are cut from $2
# of them laid end to end.
picture_folder() {
  local one=$HOME/one.jpg all=$HOME/all.bin size
  [ -f "$one" ] || convert -size 8x8 xc:orange "$one"
  size=$(stat -c %s "$one")
  cp "$one" "$all"
  while [ "$(stat -c %s "$all")" -lt $(($2 * size)) ]; do
    cat "$all" "$all" >"$all.2" && mv "$all.2" "$all"
  done
  mkdir -p "$1"
  head -c $(($2 * size)) "$all" | split -b "$size" -a 5 -d --additional-suffix=.jpg - "$1/p"
  rm -f "$all"
  [ "$(ls "$1" | wc -l)" -eq "$2" ] || fail "made $(ls "$1" | wc -l) pictures in $1, not $2"
}

# Mean brightness (0..1) of a $3 x $4 area at $1,$2 of window $5.
brightness() {
  import -window "$5" -crop "$3x$4+$1+$2" +repage -colorspace gray -format '%[fx:mean]' info:
}

# In the open picture dialog: types the folder $1 and Return, clicks a file at once, then
# checks that the file is taken (its name shows in the name box, which may take a while as
# a large folder is read), that no popup comes up meanwhile, and that キャンセル closes
# the dialog. $2 names the round in pictures and messages.
large_folder_round() {
  local before now taken=
  open_typed_folder "$1"
  before=$(brightness "$name_x" "$name_y" 120 10 "$dialog")
  click "$dialog" "$row_x" "$row_y"
  for _ in $(seq 1 40); do
    sleep 0.5
    no_popups "opening $1 ($2)"
    now=$(brightness "$name_x" "$name_y" 120 10 "$dialog")
    awk -v b="$before" -v a="$now" 'BEGIN { d = b - a; exit !(d > 0.03 || d < -0.03) }' && { taken=1; break; }
  done
  import -window root "$shot-$2.png"
  [ -n "$taken" ] || fail "the click on a file in $1 selected nothing ($2: name box $before, then $now)"
  for _ in 1 2 3 4; do
    sleep 0.5
    no_popups "opening $1 ($2)"
  done
  click "$dialog" "$cancel_x" "$cancel_y"
  wait_gone '^開く$' || fail "キャンセル did not close the dialog on $1 ($2)"
}

# open_picture_dialog WINDOW X Y BUTTON: clicks the button that opens the picture dialog and
# finds the dialog's places (sets $dialog).
open_picture_dialog() {
  click "$1" "$2" "$3"
  dialog=$(wait_window '^開く$') || fail "$4 showed no dialog"
  sleep 1
  dialog_places
}

scenario_large_folder() {
  picture_folder "$HOME/p2000" 2000
  picture_folder "$HOME/p20000" 20000
  for size in 2000 20000; do
    open_picture_dialog "$main" 117 220 追加
    large_folder_round "$HOME/p$size" "add-$size"

    click "$main" 457 388                                 # HTMLの設定
    style=$(wait_window '^HTMLの設定$') || fail "HTMLの設定 showed no dialog"
    sleep 0.5
    open_picture_dialog "$style" 352 98 参照
    large_folder_round "$HOME/p$size" "background-$size"
    click "$style" 197 132                                # 設定完了
    wait_gone '^HTMLの設定$' || fail "the style dialog stayed"
  done
}

# Where the file list's first row, the name box and キャンセル lie in the picture dialog
# $dialog: the list right of the side bar below the address row, the name box and
# キャンセル at the bottom, left of the preview.
dialog_places() {
  local geometry width height
  geometry=$(xdotool getwindowgeometry "$dialog" | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p')
  width=${geometry%x*} height=${geometry#*x}
  row_x=200 row_y=71 name_x=110 name_y=$((height - 58))
  cancel_x=$((width - 230)) cancel_y=$((height - 24))
}

# The full-disk scenario: the program runs in a mount namespace of its own (as root, or as
# the root of a user namespace) where the output folder is a small tmpfs; the folder is
# copied out when the program ends.
prepare_full_disk() {
  local ns=(unshare --mount)
  [ "$(id -u)" -eq 0 ] || ns=(unshare --user --map-root-user --mount)
  "${ns[@]}" true 2>/dev/null || { echo "window test skipped: no mount namespace (unshare)"; exit 0; }
  disk=$HOME/disk saved=$HOME/disk-after
  mkdir -p "$disk" "$saved" "$HOME/big"
  for i in $(seq -w 1 12); do
    head -c 40000 /dev/urandom >"$HOME/big/p$i.gif"
    args+=("$HOME/big/p$i.gif")
  done
  wrap=("${ns[@]}" sh -c 'mount -t tmpfs -o size=64k tmpfs "$1" || exit 97
    disk=$1 saved=$2; shift 2
    "$@"; status=$?
    cp -R "$disk/." "$saved/"
    exit $status' sh "$disk" "$saved")
}

scenario_full_disk() {
  click "$main" 290 254                                   # 出力先ディレクトリ
  xdotool type --delay 10 "$disk/"
  click "$main" 469 220                                   # 作成
  warning=$(wait_window '^警告$') || fail "no warning of the copies that failed"
  sleep 0.5
  import -window root "$shot-warning.png"
  [ -z "$(xdotool search --onlyvisible --name '^結果報告$' 2>/dev/null)" ] || fail "結果報告 came before the warning"
  xdotool key Return
  wait_window '^結果報告$' >/dev/null || fail "no 結果報告 after the warning"
  xdotool key Return
  wait_gone '^結果報告$' || fail "the completion notice stayed"
}

after_full_disk() {
  [ -f "$saved/index.htm" ] || fail "no page was written on the full disk"
  [ "$(grep -o '<IMG SRC="p[0-9]*.gif"' "$saved/index.htm" | wc -l)" -eq 12 ] || fail "the page lacks cells"
}

inner() {
  if [ "$wm" != none ]; then
    "$wm" >/dev/null 2>&1 &
    wmpid=$!
    sleep 1
  fi
  cd "$HOME"
  args=() wrap=()
  hook=${scenario//-/_}
  [ "$(type -t "prepare_$hook")" = function ] && "prepare_$hook"
  "${wrap[@]}" "$program" "${args[@]}" &
  pid=$!
  main=$(wait_window '^KAMEOLA$') || fail "no window named KAMEOLA appeared"
  sleep 0.5
  "scenario_${scenario//-/_}"
  alive "during the test"
  "$bindir/x11_close_window" "$main"
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the program did not end when its window was closed"; }
  wait "$pid"
  status=$?
  [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
  [ "$(type -t "after_$hook")" = function ] && "after_$hook"
  # No stored state: no settings file of Qt's dialogs anywhere under home or config.
  leftovers=$(find "$HOME" "${XDG_CONFIG_HOME:-$HOME/.config}" -name 'QtProject.conf' 2>/dev/null)
  [ -z "$leftovers" ] || fail "Qt's settings file was written: $leftovers"
  echo "passed; pictures in $outdir"
}

# Our own server.
. "$(dirname "$0")/../xvfb.sh"
trap '[ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null && wait "$xpid"' EXIT
start_xvfb || exit 1
( inner )
