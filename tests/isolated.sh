#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs one test with its own HOME and XDG folders under the build tree, made fresh for
# every run, so that no test reads or writes the user's files and settings.
# Usage: isolated.sh HOMES-DIR [NAME] PROGRAM ARGS...
# Without NAME (as CTest's launcher of the GoogleTest binaries) the name is taken from
# --gtest_filter, or from the program's name when it only lists its tests, followed by
# any other option (such as --wide-face).
set -eu
homes=$1
shift
case "${1:-}" in
  --name=*) name=${1#--name=}; shift ;;
  *)
    name=$(basename "$1")-list
    extra=
    for arg in "$@"; do
      case "$arg" in
        --gtest_filter=*) name=${arg#--gtest_filter=} ;;
        --gtest*) ;;
        --*) extra="$extra$arg" ;;  # a variant of the same test gets a home of its own
      esac
    done
    name=$name$extra
    ;;
esac
name=$(printf '%s' "$name" | tr -c 'A-Za-z0-9._-' '_')
dir=$homes/$name
rm -rf "$dir"
mkdir -p "$dir/home" "$dir/config" "$dir/cache" "$dir/data" "$dir/runtime"
chmod 700 "$dir/runtime"
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" \
       XDG_DATA_HOME="$dir/data" XDG_RUNTIME_DIR="$dir/runtime"
exec "$@"
