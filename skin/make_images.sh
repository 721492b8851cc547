#!/usr/bin/env bash
# Draws the skin pictures with ImageMagick. Each is drawn at four times its
# size and scaled down, which gives smooth (antialiased) edges with alpha.
# The PNGs are kept in the repository; run this again after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"

# draw <out.png> <width> <height> <draw commands at 4x...>
# Each picture also comes at twice its size ("name@2x.png"), which the
# windows draw on monitors scaled above 100 %, so it stays sharp up to 200 %.
draw() {
  local out=$1 w=$2 h=$3; shift 3
  convert -size $((w * 4))x$((h * 4)) xc:none "$@" -filter Lanczos -resize "${w}x${h}" \
    -define png:color-type=6 "PNG32:$out"
  convert -size $((w * 4))x$((h * 4)) xc:none "$@" -filter Lanczos -resize "$((w * 2))x$((h * 2))" \
    -define png:color-type=6 "PNG32:${out%.png}@2x.png"
}

# Region selector: OK (tick) and Cancel (cross), 35 x 20.
draw tick_nor.png 35 20 \
  -fill '#16A34A' -draw 'roundrectangle 0,0 139,79 16,16' \
  -stroke white -strokewidth 9 -fill none -draw 'stroke-linecap round stroke-linejoin round polyline 50,42 64,56 90,26'
draw crose_nor.png 35 20 \
  -fill '#DC2626' -draw 'roundrectangle 0,0 139,79 16,16' \
  -stroke white -strokewidth 9 -fill none -draw 'stroke-linecap round line 54,24 86,56' -draw 'stroke-linecap round line 86,24 54,56'

# Caption buttons, 44 x 44, a white glyph in the middle (light caption: dark glyph).
draw icon_close.png 44 44 -stroke white -strokewidth 7 -draw 'stroke-linecap round line 72,72 104,104' -draw 'stroke-linecap round line 104,72 72,104'
draw icon_min.png 44 44 -stroke white -strokewidth 7 -draw 'stroke-linecap round line 70,88 106,88'
draw icon_close_small.png 32 32 -stroke '#CBD5E1' -strokewidth 6 -draw 'stroke-linecap round line 50,50 78,78' -draw 'stroke-linecap round line 78,50 50,78'
draw icon_min_small.png 32 32 -stroke '#CBD5E1' -strokewidth 6 -draw 'stroke-linecap round line 48,64 80,64'

# Status bar: the stop glyph and the recording dot.
draw icon_stop.png 16 16 -fill white -draw 'roundrectangle 10,10 53,53 8,8'
draw rec_dot.png 12 12 -fill '#EF4444' -draw 'circle 23,23 23,2'

# Check box, 18 x 18: off, off under the pointer, on, on disabled, off disabled.
draw check_off.png 18 18 -fill white -stroke '#94A3B8' -strokewidth 6 -draw 'roundrectangle 4,4 67,67 14,14'
draw check_off_hot.png 18 18 -fill white -stroke '#2563EB' -strokewidth 6 -draw 'roundrectangle 4,4 67,67 14,14'
draw check_on.png 18 18 -fill '#2563EB' -draw 'roundrectangle 1,1 70,70 16,16' \
  -stroke white -strokewidth 8 -fill none -draw 'stroke-linecap round stroke-linejoin round polyline 17,37 30,50 55,22'
draw check_on_disabled.png 18 18 -fill '#CBD5E1' -draw 'roundrectangle 1,1 70,70 16,16' \
  -stroke white -strokewidth 8 -fill none -draw 'stroke-linecap round stroke-linejoin round polyline 17,37 30,50 55,22'
draw check_off_disabled.png 18 18 -fill '#F1F5F9' -stroke '#CBD5E1' -strokewidth 6 -draw 'roundrectangle 4,4 67,67 14,14'

# Startup window: the area choices' small pictures, 28 x 20.
draw area_full.png 28 20 -fill none -stroke '#64748B' -strokewidth 6 -draw 'roundrectangle 4,4 107,75 8,8'
draw area_custom.png 28 20 -fill none -stroke '#64748B' -strokewidth 6 -draw 'roundrectangle 4,4 107,75 8,8' \
  -stroke '#2563EB' -strokewidth 6 -draw 'stroke-dasharray 12 8 rectangle 26,20 82,58'
draw area_notaskbar.png 28 20 -fill none -stroke '#64748B' -strokewidth 6 -draw 'roundrectangle 4,4 107,75 8,8' \
  -stroke none -fill '#CBD5E1' -draw 'rectangle 10,60 101,70'

# The program's mark in the caption: a record button, 20 x 20.
draw logo.png 20 20 -fill white -draw 'circle 39,39 39,3' -fill '#EF4444' -draw 'circle 39,39 39,19'

# Drawing on the lesson: the status bar's pen (18 x 18) and the palette's
# tools, 20 x 20: pen, highlighter, arrow, rectangle, undo, clear.
draw icon_pen.png 18 18 -fill white -draw 'polygon 20,42 50,12 60,22 30,52' \
  -fill '#F87171' -draw 'polygon 18,44 28,54 8,64'
draw tool_pen.png 20 20 -fill white -draw 'polygon 24,46 56,14 66,24 34,56' \
  -fill '#EF4444' -draw 'polygon 22,48 32,58 10,70'
draw tool_highlighter.png 20 20 -stroke none -fill '#FACC15' -draw 'rectangle 6,60 74,74' \
  -stroke white -strokewidth 14 -draw 'line 30,44 60,14' -stroke none -fill white -draw 'polygon 14,56 24,36 38,50'
draw tool_arrow.png 20 20 -stroke white -strokewidth 8 -draw 'stroke-linecap round line 14,66 50,30' \
  -stroke none -fill white -draw 'polygon 68,12 36,22 58,44'
draw tool_rect.png 20 20 -fill none -stroke white -strokewidth 8 -draw 'roundrectangle 10,18 70,62 6,6'
draw tool_undo.png 20 20 -fill none -stroke white -strokewidth 8 \
  -draw 'stroke-linecap round stroke-linejoin round polyline 28,36 35,34 42,33 48,33 54,34 58,36 62,38 65,42 66,46 67,51 66,56 64,62 60,68' \
  -stroke none -fill white -draw 'polygon 8,38 32,20 34,50'
draw tool_clear.png 20 20 -stroke white -strokewidth 7 -draw 'stroke-linecap round line 12,20 68,20' \
  -fill none -draw 'rectangle 32,10 48,20' -draw 'stroke-linejoin round polygon 20,28 60,28 56,70 24,70' \
  -draw 'line 34,38 34,60' -draw 'line 46,38 46,60'
