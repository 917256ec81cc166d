#!/usr/bin/env bash
# Draws Ravelo's two icons and packs them into program.ico (256, 128, 64, 32
# and 16 pixels) and progress.ico (one 64x74 image), every image a PNG with
# alpha. The results are committed; run this again only to change them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# No time stamps in the PNGs, so the same drawing gives the same bytes.
png_options=(-define png:exclude-chunks=date,time +set date:create +set date:modify)

# A white aircraft seen from above on a blue disc.
convert -size 256x256 xc:none \
    -fill '#1d5fa6' -stroke '#123f70' -strokewidth 6 -draw 'circle 128,128 128,6' \
    -fill white -stroke none -draw 'polygon 128,36 140,60 140,108 222,150 222,168 140,144 137,188 168,212 168,226 128,214 88,226 88,212 119,188 116,144 34,168 34,150 116,108 116,60' \
    "${png_options[@]}" "PNG32:$work/program-256.png"
for size in 128 64 32 16; do
    convert "$work/program-256.png" -filter Lanczos -resize ${size}x${size} \
        "${png_options[@]}" "PNG32:$work/program-$size.png"
done

# A magnifying glass, for the window that waits for the scan.
convert -size 64x74 xc:none \
    -fill '#d7e8fa' -stroke '#1d5fa6' -strokewidth 6 -draw 'circle 27,27 27,7' \
    -stroke '#123f70' -strokewidth 9 -draw 'line 42,44 56,66' \
    "${png_options[@]}" "PNG32:$work/progress.png"

python3 "$here/pack_ico.py" "$here/program.ico" "$work"/program-{256,128,64,32,16}.png
python3 "$here/pack_ico.py" "$here/progress.ico" "$work/progress.png"
