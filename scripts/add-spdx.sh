#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts an SPDX licence line at the top of every source file of the tree, in the comment
# form of the file's language: "// ..." first in C and C++, "# ..." after any "#!" line in
# shell, CMake, make and similar files, ".\" ..." in man pages, "<!-- ... -->" after any
# XML declaration in XML, SVG and Markdown. Files that already carry one within their
# first lines are left alone, so running it again changes nothing.
# With --check it changes nothing and lists the files that lack the line (exit 1). Named
# FILEs limit it to those files.
# Pictures, test data from elsewhere, the licence itself and debian/ files that
# debian/copyright already covers (changelog, control, copyright, source/format) are not
# source files here.
# usage: add-spdx.sh [--check] [FILE...]   (FILEs relative to the top of the tree)
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
tag='SPDX-License-Identifier: MIT'

# The files of the tree: tracked and new ones when this is a git checkout, else all but
# build folders.
list_files() {
  if [ $# -gt 0 ]; then
    printf '%s\0' "$@"
  elif git rev-parse --git-dir >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . \( -path './build*' -o -path ./.git \) -prune -o -type f -printf '%P\0'
  fi
}

# The comment line for a file, or nothing when the file takes none.
comment_for() {
  case "$1" in
    */testdata/* | tests/data/* | fuzz/corpus/*) ;;
    LICENSE | debian/changelog | debian/control | debian/copyright | debian/source/format) ;;
    *.c | *.h | *.cpp | *.hpp | *.cc) echo "// $tag" ;;
    *.sh | *.cmake | CMakeLists.txt | */CMakeLists.txt | Makefile | */Makefile | *.mk | \
      *.py | *.supp | *.desktop | .gitignore | */.gitignore | .ci/* | debian/*) echo "# $tag" ;;
    *.[1-9] | *.[1-9].in) echo ".\\\" $tag" ;;
    *.xml | *.svg | *.conf | *.md) echo "<!-- $tag -->" ;;
  esac
}

# The line after which the comment goes: after "#!" or "<?xml", else at the top.
insert_after() {
  local first
  IFS= read -r first <"$1" || true
  case "$first" in
    '#!'* | '<?xml'*) echo 1 ;;
    *) echo 0 ;;
  esac
}

missing=0
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  line=$(comment_for "$file")
  [ -n "$line" ] || continue
  head -n 5 "$file" | grep -qF "$tag" && continue
  if [ "$check" -eq 1 ]; then
    echo "no SPDX line: $file"
    missing=1
    continue
  fi
  at=$(insert_after "$file")
  tmp=$(mktemp "$file.XXXXXX")
  # Through the environment: awk -v would take the backslash of .\" as an escape.
  SPDX_LINE=$line awk -v at="$at" 'BEGIN { line = ENVIRON["SPDX_LINE"] }
    NR == at + 1 { print line } { print } END { if (NR <= at) print line }' "$file" >"$tmp"
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
  echo "added: $file"
done < <(list_files "$@")
exit "$missing"
