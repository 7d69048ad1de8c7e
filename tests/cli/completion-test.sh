#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of kameola-cli: it offers every option --help lists and no other,
# the words of --sort, folders after -o, and pictures (by the extensions --help names)
# and folders as FILEs.
# usage: completion-test.sh KAMEOLA_CLI COMPLETION_FILE
set -uo pipefail
cli=$1 completion=$2
framework=/usr/share/bash-completion/bash_completion
if [ ! -r "$framework" ]; then
  echo "bash-completion is not installed: skipped"
  exit 77
fi
# shellcheck disable=SC1090
source "$framework"
# shellcheck disable=SC1090
source "$completion"

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The sorted words the completion offers for the command line, the cursor at its end.
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _kameola_cli kameola-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

help_options=$(LC_ALL=C "$cli" --help | grep -oE '^  (-[a-zA-Z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+' | sort -u)
completed=$(offered kameola-cli --)
[ "$help_options" = "$completed" ] ||
  fail "options differ from --help:
$(diff <(echo "$help_options") <(echo "$completed"))"

# The FILE pattern's extensions are those --help names.
help_extensions=$(LC_ALL=C "$cli" --help | tr ' ' '\n' | grep -xE '\.[a-z]+' | cut -c2- | sort)
pattern_extensions=$(grep -oE "_filedir '@\([a-z|]+\)'" "$completion" | grep -oE '[a-z|]+\)' | tr -d ')' |
                     tr '|' '\n' | sort)
[ -n "$help_extensions" ] && [ "$help_extensions" = "$pattern_extensions" ] ||
  fail "extensions differ from --help:
$(diff <(echo "$help_extensions") <(echo "$pattern_extensions"))"

[ "$(offered kameola-cli --sort '')" = "$(printf '%s\n' name none time)" ] ||
  fail "--sort offers $(offered kameola-cli --sort '')"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/sub"
touch "$dir/a.jpg" "$dir/B.JPG" "$dir/c.heic" "$dir/notes.txt"
cd "$dir" || exit 1
[ "$(offered kameola-cli '')" = "$(printf '%s\n' B.JPG a.jpg c.heic sub)" ] ||
  fail "FILEs offered: $(offered kameola-cli '' | tr '\n' ' ')"
[ "$(offered kameola-cli -o '')" = "sub" ] || fail "-o offers $(offered kameola-cli -o '' | tr '\n' ' ')"

[ "$failed" -eq 0 ] && echo "bash completion: options, values and files as expected"
exit "$failed"
