#!/usr/bin/env bash
# Renders every SVG source in resources/images to the PNG beside it, and the
# application icon in dist/icons to the fixed sizes of the desktop's icon
# theme. The PNGs are what the program bundles and the package installs, so
# run this after changing a picture.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
images="$root/resources/images"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is needed (package librsvg2-bin)" >&2; exit 1; }
# images/<language>/ holds the pictures with words in them, in that language.
for source in "$images"/*.svg "$images"/*/*.svg; do
    rsvg-convert --format=png --output="${source%.svg}.png" "$source"
done
echo "rendered $(ls "$images"/*.svg "$images"/*/*.svg | wc -l) pictures"

# Small sizes are rendered from the same drawing; keep it bold enough to read at 16 px.
icons="$root/dist/icons"
app_id="com.orvane.Twinscan"
for size in 16 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}"
    rsvg-convert --format=png --width="$size" --height="$size" \
        --output="$icons/${size}x${size}/$app_id.png" "$icons/$app_id.svg"
done
echo "rendered the application icon in 6 sizes"
