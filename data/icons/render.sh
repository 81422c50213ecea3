#!/usr/bin/env bash
# Renders the program's icon, webaccess.svg, into the PNGs next to it, at the
# sizes desktops look for. Run again after changing the SVG (needs
# rsvg-convert, Debian package librsvg2-bin); the PNGs are kept in the tree so
# that building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "webaccess-$size.png" webaccess.svg
done
