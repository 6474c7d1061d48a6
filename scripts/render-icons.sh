#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG. Run after changing the
# SVG (needs rsvg-convert from librsvg2-bin); the PNGs are kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/../data/icons/hicolor"
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" scalable/apps/zld3300.svg -o "${size}x${size}/apps/zld3300.png"
done
