#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a temporary prefix and checks what lands there: the two
# programs, the desktop entry, the icons, the AppStream metainfo and the man pages, and
# nothing else.
# usage: check-install.sh CMAKE BUILD_DIR VERSION
set -euo pipefail
cmake=$1 build=$2 version=$3
id=io.github.kameola.Kameola

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
export HOME="$prefix/home"  # nothing run here may write into the user's home
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

sizes=(16 32 48 64 128 256)
expected=(bin/kameola bin/kameola-cli "share/applications/$id.desktop"
          "share/metainfo/$id.metainfo.xml"
          "share/icons/hicolor/scalable/apps/$id.svg"
          share/man/man1/kameola.1.gz share/man/man1/kameola-cli.1.gz
          share/man/ja/man1/kameola.1.gz share/man/ja/man1/kameola-cli.1.gz
          share/bash-completion/completions/kameola-cli
          share/locale/ja/LC_MESSAGES/kameola-cli.mo)
for size in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
actual=$(cd "$prefix" && find . -path ./home -prune -o -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "installed files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$actual") || true)"

for program in kameola kameola-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
  if readelf -d "$prefix/bin/$program" 2>/dev/null | grep -Eq 'R(UN)?PATH'; then
    fail "bin/$program carries a run path"
  fi
done
[ "$(LC_ALL=C "$prefix/bin/kameola-cli" --version | head -n 1)" = "kameola-cli $version" ] ||
  fail "kameola-cli --version does not print $version"

desktop="$prefix/share/applications/$id.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
for line in 'Exec=kameola %F' "Icon=$id" 'Categories=Graphics;Photography;' \
            'MimeType=image/jpeg;image/bmp;image/gif;'; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks '$line'"
done
for key in 'Name' 'Name\[ja\]' 'Comment' 'Comment\[ja\]'; do
  grep -Eq "^$key=.+" "$desktop" || fail "desktop entry lacks $key"
done

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"

# Each PNG is as large as the folder it is installed in says (width and height at bytes 16..23).
for size in "${sizes[@]}"; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  [ $((16#${header:32:8})) -eq "$size" ] && [ $((16#${header:40:8})) -eq "$size" ] ||
    fail "$png is not ${size}x$size"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "the SVG icon holds no <svg>"

# The man pages format without a warning, whether the terminal can show Japanese or not;
# the Japanese ones on a terminal that can.
for page in man1/kameola man1/kameola-cli ja/man1/kameola ja/man1/kameola-cli; do
  locales="C.UTF-8 C"
  [[ $page == ja/* ]] && locales=C.UTF-8
  for locale in $locales; do
    text=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$prefix/share/man/$page.1.gz" 2>"$prefix/warnings") ||
      fail "man $page ($locale) failed"
    [ -s "$prefix/warnings" ] && fail "man $page ($locale) warns: $(cat "$prefix/warnings")"
    grep -Eq "kameola $version +[0-9]{4}-[0-9]{2}-[0-9]{2}" <<<"$text" ||
      fail "man $page ($locale) does not show version $version and a date"
  done
done
# The Japanese pages speak Japanese.
for page in kameola kameola-cli; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$prefix/share/man/ja/man1/$page.1.gz" 2>/dev/null | grep -q '^オプション$' ||
    fail "ja/man1/$page has no section オプション"
done

[ "$failed" -eq 0 ] && echo "install into a temporary prefix: all files present and valid"
exit "$failed"
