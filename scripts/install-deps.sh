#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing need, when any is missing.
# As root it uses apt-get; otherwise it prints the command to run and stops.
set -euo pipefail

packages=(build-essential cmake ccache qt6-base-dev qt6-translations-l10n libjpeg62-turbo-dev libjpeg-dev
          libjpeg-turbo-progs libheif-dev libheif-examples libtiff-dev libtiff-tools liblcms2-dev
          pkgconf libfontconfig-dev libgtest-dev libbenchmark-dev fonts-ipafont-gothic
          libx11-dev libxcb1-dev xvfb xauth xdotool imagemagick openbox time
          libpng-dev libwebp-dev libgif-dev
          desktop-file-utils man-db groff-base dpkg-dev gettext locales help2man
          debhelper lintian appstream libxml2-utils
          bash-completion fusefat dosfstools
          dbus at-spi2-core python3-pyatspi)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
