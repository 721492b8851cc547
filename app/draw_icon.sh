#!/usr/bin/env bash
# Draws the program's icon, app/tavrix.ico: a screen on a stand with a red
# record dot, at 16 to 256 pixels. Needs imagemagick; run it after changing the
# drawing and commit the result.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 24 32 48 64 256)
for s in "${sizes[@]}"; do
  convert -size 256x256 xc:none \
    -fill '#2b3440' -draw "roundrectangle 16,28 240,188 18,18" \
    -fill '#dff1ff' -draw "roundrectangle 30,42 226,174 8,8" \
    -fill '#2b3440' -draw "rectangle 112,188 144,214" -draw "roundrectangle 72,210 184,230 8,8" \
    -fill '#e5322d' -draw "circle 128,108 128,146" \
    -fill '#ff8c85' -draw "circle 116,96 116,104" \
    -resize "${s}x${s}" "png32:$work/icon-$s.png"
done
convert $(for s in "${sizes[@]}"; do echo "$work/icon-$s.png"; done) tavrix.ico
