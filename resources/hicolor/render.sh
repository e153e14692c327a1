#!/usr/bin/env bash
# Renders the program's icon, ../tarvik.svg, into the PNG sizes of the desktop's icon theme. The
# PNGs are committed, so building needs no SVG renderer; run this after changing the SVG
# (needs rsvg-convert from Debian's librsvg2-bin). tarvik-64.png is the window icon as well.
set -euo pipefail
cd "$(dirname "$0")"
for n in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$n" --height "$n" --output "tarvik-$n.png" ../tarvik.svg
done
