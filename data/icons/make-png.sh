#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from vistrel.svg; the PNGs are committed, so
# this runs only after the SVG changes. Needs: apt-get install librsvg2-bin
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" vistrel.svg -o "hicolor/${size}x${size}/apps/vistrel.png"
done
