#!/usr/bin/env bash
# Renders every SVG source in resources/images to the PNG beside it; the PNGs
# are what the program bundles, so run this after changing a picture.
set -euo pipefail
images="$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources/images" && pwd)"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is needed (package librsvg2-bin)" >&2; exit 1; }
for source in "$images"/*.svg; do
    rsvg-convert --format=png --output="${source%.svg}.png" "$source"
done
echo "rendered $(ls "$images"/*.svg | wc -l) pictures"
