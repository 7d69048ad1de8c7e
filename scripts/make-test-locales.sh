#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the locales the language tests use into a private folder (for LOCPATH), so that
# the tests need neither root nor the system's generated locales. Prints why when it
# cannot; the tests that need a locale then skip.
# Usage: make-test-locales.sh DIR
set -u
dir=$1
mkdir -p "$dir"
if ! command -v localedef >/dev/null 2>&1 || [ ! -e /usr/share/i18n/locales/ja_JP ]; then
  echo "localedef or the locale sources (package locales) missing: locale tests skip" >"$dir/missing"
  exit 0
fi
rm -f "$dir/missing"
for locale in ja_JP:UTF-8:ja_JP.UTF-8 ja_JP:SHIFT_JIS:ja_JP.SJIS ja_JP:EUC-JP:ja_JP.eucJP en_US:UTF-8:en_US.UTF-8; do
  source=${locale%%:*}; rest=${locale#*:}; charmap=${rest%%:*}; name=${rest#*:}
  # -c: Shift_JIS is not ASCII-compatible, which localedef warns about and refuses without.
  localedef -c --no-warnings=ascii -i "$source" -f "$charmap" "$dir/$name" 2>/dev/null ||
    [ -e "$dir/$name/LC_CTYPE" ] || echo "cannot build $name" >>"$dir/missing"
done
exit 0
