#!/usr/bin/env bash
# Renders the application icon packaging/icons/konfex.svg into the PNG sizes the package ships
# (packaging/icons/<N>x<N>/konfex.png). Run after changing the SVG and commit the PNGs with it;
# the build itself never renders. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 2; }
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" packaging/icons/konfex.svg -o "packaging/icons/${size}x${size}/konfex.png"
done
ls packaging/icons/*/konfex.png
