#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages from a copy of the source tree: dpkg-buildpackage writes its
# results beside the source, so the copy lives in OUT/kameola and the .debs, .changes and
# .buildinfo land in OUT. Tracked files and new ones not ignored by git are copied, so
# build folders never enter the package build.
# usage: build-deb.sh OUT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: build-deb.sh OUT}
mkdir -p "$out"
out=$(cd "$out" && pwd)
src=$out/kameola

rm -rf "$src"
rm -f "$out"/kameola*.deb "$out"/kameola*.ddeb "$out"/kameola_*.changes "$out"/kameola_*.buildinfo
mkdir "$src"
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
     while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
     tar --null -T - -cf -) | tar -C "$src" -xf -
else
  tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$src" -xf -
fi

# Two cores unless told otherwise; ccache's own cache when it is installed.
case " ${DEB_BUILD_OPTIONS:-} " in
  *" parallel="*) ;;
  *) export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=${JOBS:-2}" ;;
esac
if command -v ccache >/dev/null && [ -z "${CCACHE_DIR:-}" ]; then
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
# No base directory: debian/rules keeps the compiler's paths as they are, so that the
# packages are the same bytes with ccache and without.

cd "$src"
dpkg-buildpackage -us -uc -b
echo "Packages in $out:"
ls -l "$out"/*.deb
