#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the version set in CMake is the latest release everywhere else, and that
# debian/changelog, the metainfo's releases and NEWS.md list the same releases with the
# same dates.
set -euo pipefail
cd "$(dirname "$0")/.."
metainfo=data/io.github.kameola.Kameola.metainfo.xml
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

cmake_version=$(sed -n 's/^project(kameola VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
[[ $cmake_version =~ ^1\.03\.[1-9][0-9]*$ ]] || fail "CMakeLists.txt: version '$cmake_version' is not 1.03.N"

# "VERSION DATE" per release, newest first.
changelog=$(sed -n -e 's/^kameola (\([^)]*\)).*/\1/p' -e 's/^ -- .*>  \(.*\)$/\1/p' debian/changelog |
  while IFS= read -r version && IFS= read -r date; do
    echo "$version $(date -u -d "$date" +%Y-%m-%d)"
  done)
releases=$(xmllint --xpath '//releases/release' "$metainfo" |
  sed -n 's/.*version="\([^"]*\)" date="\([^"]*\)".*/\1 \2/p')
news=$(sed -n 's/^## \([^ ]*\) (\([0-9-]*\))$/\1 \2/p' NEWS.md)

[ -n "$changelog" ] || fail "debian/changelog lists no release"
latest=${changelog%%$'\n'*}
[ "${latest%% *}" = "$cmake_version" ] ||
  fail "debian/changelog's latest release is ${latest%% *}, CMake says $cmake_version"
[ "$releases" = "$changelog" ] || fail "the metainfo's releases differ from debian/changelog:
$(diff <(echo "$changelog") <(echo "$releases") || true)"
[ "$news" = "$changelog" ] || fail "NEWS.md's releases differ from debian/changelog:
$(diff <(echo "$changelog") <(echo "$news") || true)"

[ "$failed" -eq 0 ] && echo "version $cmake_version: CMake, changelog, metainfo and NEWS.md agree"
exit "$failed"
