#!/usr/bin/env bash
# Draws the window's pictures with ImageMagick: the six emulator/device badges shown above each
# slot list and the program icon. The badges are plain rounded labels with the product's short
# name, in our own colours; they imitate no product's logo.
# Usage: scripts/make_images.sh   (writes resources/logos/*.png and resources/selvane*.png)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v convert >/dev/null || { echo "make_images.sh: ImageMagick's convert is needed" >&2; exit 1; }

font=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
[ -f "$font" ] || { echo "make_images.sh: $font is missing (package fonts-liberation)" >&2; exit 1; }
out=resources/logos
mkdir -p "$out"

# badge NAME CANVAS_W CANVAS_H BADGE_W COLOUR POINTSIZE TEXT
# The canvas is twice the logo's size on the window (sharp on high-density screens); the badge
# takes the left BADGE_W pixels and the rest stays transparent, so a wide logo does not cover the
# pane's caption beside it.
badge() {
  local name=$1 w=$2 h=$3 bw=$4 colour=$5 size=$6 text=$7
  convert -size "${w}x${h}" xc:none \
    -fill "$colour" -stroke '#202020' -strokewidth 2 \
    -draw "roundrectangle 1,1 $((bw - 2)),$((h - 2)) 10,10" \
    \( -size "$((bw - 8))x$((h - 8))" -background none -fill white -stroke none -font "$font" \
       -pointsize "$size" -gravity center "label:$text" \) \
    -gravity northwest -geometry +4+4 -composite \
    -strip "$out/$name.png"
}

# Sizes: the logo image controls of the window, in pixels at 96 dpi, doubled.
badge emu0_vgs      86 88  86 '#3a6ea5' 22 $'VGS'
badge emu1_bleem    74 70  74 '#b03a2e' 18 $'bleem'
badge emu2_dexdrive 90 60  90 '#1e8449' 17 $'Dex\nDrive'
badge emu3_epsxe   210 60  92 '#7d3c98' 20 $'ePSXe'
badge emu4_psemu    78 72  78 '#566573' 16 $'PSEmu\nPro'
badge emu5_datadeck 88 68  88 '#ca6f1e' 17 $'Data\nDeck'

# The program icon: a memory card seen from the front, with a label and an "S".
icon() {
  local size=$1
  convert -size 256x256 xc:none \
    -fill '#2c3e50' -stroke '#101820' -strokewidth 6 \
    -draw "path 'M 52,12 L 172,12 L 212,52 L 212,236 Q 212,246 202,246 L 52,246 Q 42,246 42,236 L 42,22 Q 42,12 52,12 Z'" \
    -fill '#ecf0f1' -stroke none -draw "roundrectangle 64,40 190,150 10,10" \
    -fill '#2c3e50' -font "$font" -pointsize 104 -gravity north -annotate +0+36 'S' \
    -fill '#f1c40f' -gravity northwest \
    -draw "rectangle 66,196 84,232" -draw "rectangle 96,196 114,232" -draw "rectangle 126,196 144,232" \
    -draw "rectangle 156,196 174,232" \
    -resize "${size}x${size}" -strip "$2"
}
icon 256 resources/selvane.png
for s in 16 32 48 64 128; do icon "$s" "resources/selvane-$s.png"; done
echo "Pictures written to $out/ and resources/selvane*.png"
