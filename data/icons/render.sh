#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the PNG sizes of the icon from its SVG (needs rsvg-convert from librsvg2-bin).
# The PNGs are kept in the repository, so the build does not need this.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" io.github.kameola.Kameola.svg -o "io.github.kameola.Kameola-$size.png"
done
