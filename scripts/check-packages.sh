#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the packages that make deb left in DIR: each holds exactly its files, carries the
# CMake version, and kameola-cli depends on nothing of Qt or of the fonts.
# usage: check-packages.sh DIR
set -euo pipefail
dir=${1:?usage: check-packages.sh DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(kameola VERSION \([^ )]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
id=io.github.kameola.Kameola
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The files (not folders) a package installs, sorted.
files_of() { dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort; }

expect_files() {
  local package=$1 deb=$2
  shift 2
  local wanted
  wanted=$(printf '%s\n' "$@" /usr/share/doc/"$package"/changelog.gz /usr/share/doc/"$package"/copyright | sort)
  local actual
  actual=$(files_of "$deb")
  [ "$actual" = "$wanted" ] || fail "$package holds other files than expected:
$(diff <(echo "$wanted") <(echo "$actual") || true)"
}

gui=$dir/kameola_${version}_$arch.deb
cli=$dir/kameola-cli_${version}_$arch.deb
for deb in "$gui" "$cli"; do
  [ -f "$deb" ] || { echo "FAIL: no $deb" >&2; exit 1; }
done

icons=(/usr/share/icons/hicolor/scalable/apps/$id.svg)
for size in 16 32 48 64 128 256; do
  icons+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
expect_files kameola "$gui" /usr/bin/kameola /usr/share/applications/$id.desktop \
  /usr/share/metainfo/$id.metainfo.xml /usr/share/man/man1/kameola.1.gz \
  /usr/share/man/ja/man1/kameola.1.gz "${icons[@]}"
expect_files kameola-cli "$cli" /usr/bin/kameola-cli /usr/share/man/man1/kameola-cli.1.gz \
  /usr/share/man/ja/man1/kameola-cli.1.gz /usr/share/locale/ja/LC_MESSAGES/kameola-cli.mo \
  /usr/share/bash-completion/completions/kameola-cli

gui_depends=$(dpkg-deb -f "$gui" Depends)
cli_depends=$(dpkg-deb -f "$cli" Depends)
for needed in 'fonts-ipafont-gothic | fonts-japanese-gothic' qt6-translations-l10n libqt6widgets6; do
  grep -qF "$needed" <<<"$gui_depends" || fail "kameola does not depend on $needed: $gui_depends"
done
if grep -Eiq 'qt|fonts-' <<<"$cli_depends"; then
  fail "kameola-cli depends on Qt or fonts: $cli_depends"
fi
for needed in libjpeg62-turbo libfontconfig1 libheif1 libtiff6 liblcms2-2 libpng16-16 libwebp7 \
  libwebpdemux2 libgif7; do
  grep -qF "$needed" <<<"$cli_depends" || fail "kameola-cli does not depend on $needed: $cli_depends"
done

[ "$failed" -eq 0 ] && echo "packages $version: file lists and dependencies as expected"
exit "$failed"
