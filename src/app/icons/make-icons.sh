#!/bin/sh
# Draws the toolbar's own icons, used where the desktop's icon theme has none (ImageMagick).
# Each is drawn at 32 x 32 pixels and scaled to 16 x 16; run here to redraw them.
set -e
cd "$(dirname "$0")"
icon() {
    name=$1
    shift
    convert -size 32x32 xc:none "$@" "$name-32.png"
    convert "$name-32.png" -filter Lanczos -resize 16x16 "$name-16.png"
}
page="-stroke #505050 -strokewidth 1.5"
icon document-new $page -fill white -draw "path 'M 7,3 L 19,3 L 26,10 L 26,29 L 7,29 Z'" \
    -fill '#d8d8d8' -draw "path 'M 19,3 L 19,10 L 26,10 Z'" \
    -stroke '#2e8b2e' -strokewidth 3 -draw "line 20,17 20,29" -draw "line 14,23 26,23"
icon document-open -stroke '#8a6414' -strokewidth 1.5 -fill '#e0ad3e' \
    -draw "path 'M 2,7 L 11,7 L 13,10 L 27,10 L 27,27 L 2,27 Z'" \
    -fill '#f6d47a' -draw "path 'M 2,27 L 7,15 L 31,15 L 27,27 Z'"
icon document-save -stroke '#1d3d6b' -strokewidth 1.5 -fill '#3b6fb6' \
    -draw "roundrectangle 3,3 29,29 2,2" -stroke none -fill white -draw "rectangle 8,4 24,13" \
    -fill '#1d3d6b' -draw "rectangle 19,5 22,12" -fill '#e6ebf2' -draw "rectangle 7,18 25,28"
icon edit-cut -fill none -stroke '#6a6a6a' -strokewidth 2.5 \
    -draw "line 11,20 23,2" -draw "line 21,20 9,2" \
    -stroke '#2a2a2a' -strokewidth 2.5 -draw "circle 9,24 9,28.5" -draw "circle 23,24 23,28.5"
icon edit-copy $page -fill '#ececec' -draw "rectangle 4,3 19,22" \
    -fill white -draw "rectangle 12,9 27,29" \
    -stroke '#8a8a8a' -strokewidth 1 -draw "line 15,14 24,14" -draw "line 15,18 24,18" \
    -draw "line 15,22 24,22" -draw "line 15,26 21,26"
icon edit-paste -stroke '#6b4a1e' -strokewidth 1.5 -fill '#b57d3c' \
    -draw "roundrectangle 5,5 27,30 2,2" -stroke '#808080' -fill white \
    -draw "rectangle 9,9 23,27" -stroke '#404040' -fill '#a0a0a0' \
    -draw "roundrectangle 11,2 21,8 1,1" \
    -stroke '#8a8a8a' -strokewidth 1 -draw "line 12,14 20,14" -draw "line 12,18 20,18" \
    -draw "line 12,22 18,22"
icon document-print $page -fill white -draw "rectangle 9,3 23,13" \
    -fill '#9a9a9a' -draw "roundrectangle 3,12 29,24 2,2" -fill white \
    -draw "rectangle 9,19 23,29" -stroke '#8a8a8a' -strokewidth 1 \
    -draw "line 12,23 20,23" -draw "line 12,26 20,26" \
    -stroke none -fill '#3cb043' -draw "circle 25.5,15.5 25.5,17"
icon media-playback-start -stroke '#1d5e1d' -strokewidth 1.5 -fill '#35a035' \
    -draw "polygon 9,5 27,16 9,27"
icon media-playback-pause -stroke '#1d3d6b' -strokewidth 1.5 -fill '#3b6fb6' \
    -draw "rectangle 8,6 13,26" -draw "rectangle 19,6 24,26"
icon media-playback-stop -stroke '#7a1a1a' -strokewidth 1.5 -fill '#c83232' \
    -draw "rectangle 7,7 25,25"
