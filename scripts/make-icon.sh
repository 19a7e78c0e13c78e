#!/usr/bin/env bash
# Draws Chronivo's Windows icon with ImageMagick: a clock face on a rainbow disc, as a 256-pixel
# picture scaled down to each size Windows asks for (16 to 256 pixels), written as one .ico.
# The 256-pixel picture is kept as PNG inside the .ico, the small ones as bitmaps.
#
# Usage: scripts/make-icon.sh [OUTPUT.ico]   (default src/res/chronivo.ico)
set -euo pipefail

out=${1:-$(dirname "$0")/../src/res/chronivo.ico}
if ! command -v convert >/dev/null 2>&1; then
    echo "make-icon.sh: convert is not installed (Debian package imagemagick)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The rainbow: the hue runs once around the centre, full saturation, medium lightness.
convert -size 256x256 xc: \
    -channel R -fx "atan2(j-h/2+0.5,i-w/2-0.5)/(2*pi)+0.5" \
    -channel G -fx 1 -channel B -fx 0.5 +channel \
    -set colorspace HSL -colorspace sRGB "$work/hues.png"

# Cut to a disc, with a white face, twelve hour marks, and the hands at ten past ten.
convert "$work/hues.png" \
    \( -size 256x256 xc:black -fill white -draw "circle 127.5,127.5 127.5,4" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill white -stroke none -draw "circle 127.5,127.5 127.5,34" \
    -stroke '#202020' -strokewidth 8 -draw "
        line 127.5,40 127.5,56   line 127.5,199 127.5,215
        line 40,127.5 56,127.5   line 199,127.5 215,127.5" \
    -strokewidth 14 -draw "line 127.5,127.5 88,100" \
    -strokewidth 9 -draw "line 127.5,127.5 180,97" \
    -stroke none -fill '#202020' -draw "circle 127.5,127.5 127.5,116" \
    "$work/256.png"

sizes=(16 24 32 48 64)
layers=()
for size in "${sizes[@]}"; do
    convert "$work/256.png" -filter Lanczos -resize "${size}x${size}" "$work/$size.png"
    layers+=("$work/$size.png")
done
# -strip: no dates or profiles, so the same script makes the same file. Windows scales the
# 256-pixel picture for the sizes between 64 and 256.
convert "${layers[@]}" "$work/256.png" -strip -depth 8 "$out"
echo "$out: $(stat -c %s "$out") bytes"
