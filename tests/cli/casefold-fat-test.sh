#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kameola-cli writing into a real FAT folder, which folds letter case, mounted through
# fusefat: no small image shows another entry's picture, no copy is overwritten, and two
# same-named copies both name the first. Skipped where FUSE or the tools are missing.
# usage: casefold-fat-test.sh KAMEOLA_CLI
set -uo pipefail
cli=$1
PATH=$PATH:/usr/sbin:/sbin
skip() { echo "$*: skipped"; exit 77; }
[ -c /dev/fuse ] && [ -r /dev/fuse ] && [ -w /dev/fuse ] || skip "no usable /dev/fuse"
for tool in fusefat fusermount mkfs.vfat cjpeg; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

work=$(mktemp -d)
fat=$work/fat
cleanup() {
  mountpoint -q "$fat" && fusermount -u "$fat"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/src" "$fat"
truncate -s 16M "$work/fat.img"
mkfs.vfat "$work/fat.img" >/dev/null || skip "mkfs.vfat failed"
# use_ino: the file system's own inode numbers, one per file whatever case names it, and
# no cached attributes, so that a file keeps its number once written, as on a kernel mount.
fusefat -o rw+,use_ino,attr_timeout=0,entry_timeout=0 "$work/fat.img" "$fat" >/dev/null 2>&1 || skip "cannot mount through FUSE"

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# A JPEG of one colour (three bytes) and a size.
jpeg() {
  { printf 'P6\n%d %d\n255\n' "$3" "$4"
    for ((i = 0; i < $3 * $4; i++)); do printf "$2"; done; } | cjpeg >"$work/src/$1"
}
jpeg a.jpg '\377\0\0' 64 48
jpeg A.jpg '\0\0\377' 48 64
cp "$work/src/a.jpg" "$work/src/aS.jpg"
printf 'GIF89a first' >"$work/src/c.gif"
printf 'GIF89a second' >"$work/src/C.GIF"

# What the run writes for a.jpg alone, on a folder that does not fold.
LC_ALL=C "$cli" -q --small -o "$work/ref" "$work/src/a.jpg" || fail "reference run"

# Runs kameola-cli into the FAT folder, emptied first; checks the exit status and that
# standard error names the given text.
run() {
  local status=$1 says=$2
  shift 2
  rm -rf "${fat:?}"/*
  LC_ALL=C "$cli" -o "$fat" "$@" 2>"$work/err"
  local got=$?
  [ "$got" -eq "$status" ] || fail "$*: exit status $got, not $status"
  grep -qF -- "$says" "$work/err" || fail "$*: no '$says' in: $(cat "$work/err")"
}

# a.jpg then A.jpg: A's small image would replace a's.
run 1 "$fat/As.jpg" --small "$work/src/a.jpg" "$work/src/A.jpg"
cmp -s "$fat/as.jpg" "$work/ref/as.jpg" || fail "as.jpg is not a.jpg's small image"
run 1 "$fat/As.jpg" --small --keep-going "$work/src/a.jpg" "$work/src/A.jpg"
cmp -s "$fat/as.jpg" "$work/ref/as.jpg" || fail "kept going: as.jpg is not a.jpg's"
grep -q 'a.jpg' "$fat/index.htm" || fail "kept going: no page with a.jpg"

# aS.jpg then a.jpg: a's small image would overwrite the copy aS.jpg.
run 1 "$fat/as.jpg" --small "$work/src/aS.jpg" "$work/src/a.jpg"
cmp -s "$fat/aS.jpg" "$work/src/aS.jpg" || fail "the copy aS.jpg was overwritten"

# Two same-named copies: the first stays, the second is a warning.
run 0 "not copied" "$work/src/c.gif" "$work/src/C.GIF"
cmp -s "$fat/c.gif" "$work/src/c.gif" || fail "c.gif is not the first copy"

exit $failed
