#!/usr/bin/env bash
# The README's pictures of the drawing, made with the real program, the real
# encoder and real X input: a slide on which a word is circled with the pen,
# an arrow drawn to it and a line marked with the highlighter, the palette
# open (drawing-on-a-slide.png); and the same slide as the saved lesson shows
# it to the students (drawing-in-the-lesson.png, a frame of the video).
#
#   tests/e2e/ui_ink_docs.sh [docs folder]   (the product unless TAVRIX_BIN names another build's bin/)
set -uo pipefail
docs=$(cd "${1:-$(dirname "$0")/../../docs}" && pwd)
dpi=96
case_name=ink_docs
screen=1280x800
source "$(dirname "$0")/ui_ink_lib.sh"

show_target 140 70 1000 520 F8FAFC "光合作用
二氧化碳 + 水 → 葡萄糖 + 氧气"
start_recording no-rings
# The bar dragged by its caption down out of the slide's way.
read -r bx by bw bh <<<"$(window_geometry RecStatusFrameWndClass)"
xdotool mousemove $((bx + 20)) $((by + bh / 2)) sleep 0.1 mousedown 1 sleep 0.1 \
  mousemove $((bx + 20)) $((by + 150)) sleep 0.1 mousemove $((bx + 20)) $((by + bh / 2 + 300)) sleep 0.1 mouseup 1
sleep 1

# The word 葡萄糖 circled freehand: an ellipse of 24 mouse moves.
click_control RecStatusFrameWndClass status.xml btnPen
wait_palette
cx=${CIRCLE_X:-786} cy=${CIRCLE_Y:-180} rx=${CIRCLE_RX:-112} ry=${CIRCLE_RY:-50}
points=$(awk -v cx="$cx" -v cy="$cy" -v rx="$rx" -v ry="$ry" 'BEGIN {
  for (i = 0; i <= 26; i++) { a = -2.2 + i * 6.6 / 24; printf "%d %d\n", cx + rx * cos(a), cy + ry * sin(a) } }')
read -r x y <<<"$(head -1 <<<"$points")"
xdotool mousemove "$x" "$y" sleep 0.1 mousedown 1
while read -r x y; do xdotool mousemove "$x" "$y" sleep 0.03; done <<<"$points"
xdotool mouseup 1

# An arrow from the title to it.
click_control TavrixPenPaletteWndClass pen.xml optArrow
stroke "${ARROW_X1:-980}" "${ARROW_Y1:-420}" "${ARROW_X2:-850}" "${ARROW_Y2:-245}" 6

# The reaction's left side marked with the highlighter.
click_control TavrixPenPaletteWndClass pen.xml optHighlighter
stroke "${MARK_X1:-208}" "${MARK_Y1:-182}" "${MARK_X2:-588}" "${MARK_Y2:-182}" 10
xdotool mousemove 1000 650
sleep 0.8
import -window root "$docs/drawing-on-a-slide.png"

focus_target
xdotool key F9
wait_palette_gone
sleep 2
stop_and_save docs
ffmpeg -v error -sseof -1 -i "$run/docs.avi" -frames:v 1 -y "$docs/drawing-in-the-lesson.png" ||
  fail "no picture from the lesson"
step "pictures in $docs"
