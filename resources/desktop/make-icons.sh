#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from its SVG (needs rsvg-convert, from
# the Debian package librsvg2-bin). The PNGs are kept in the tree; run this after
# changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" org.tallix32.Tallix32.svg \
    -o "icons/${size}x${size}/org.tallix32.Tallix32.png"
done
