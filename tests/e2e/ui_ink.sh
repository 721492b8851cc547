#!/usr/bin/env bash
# Drawing on the lesson end to end, with the real Tavrix.exe, the real
# encoder and real X input, at 96 or 144 dpi. A window stands in for the
# program the teacher presents and has the keyboard. During a full-screen
# recording: drawing on with the pen button, a stroke dragged; off with F9
# (which the presented program never gets); a click on the presented window
# (it receives it, and a ring shows around it); on with F9, a second stroke,
# off with a right click; on again, clear, off; then the lesson is saved
# through the Save dialog. In the saved lesson's frames: red pixels lie along
# each dragged path within 2 pixels and nowhere else, the ring is centred on
# the click within a pixel, and the last frames, after clear, have no red.
# The presented window keeps the keyboard all along.
#
# It runs on a display of its own with a compositor (Wine shows a layered
# window's translucency only with one) and a Wine prefix of its own at that
# scaling, copied from the template.
#
#   ui_ink.sh <96|144>      (the product unless TAVRIX_BIN names another build's bin/)
set -uo pipefail
dpi=${1:?96 or 144}
case_name=ink_$dpi
screen=1280x800
source "$(dirname "$0")/ui_ink_lib.sh"

pen_width=$(((4 * dpi + 48) / 96))
ring_diameter=$(((24 * dpi + 48) / 96))

# The presented program: a grey window on the right, with the keyboard.
show_target 700 80 480 260 3C3C3C
start_recording
sleep 1

# 1. On with the pen button, a stroke, off with F9.
click_control RecStatusFrameWndClass status.xml btnPen
wait_palette
shoot palette-open
stroke 120 110 520 170
path_a=$path
wait_red 320 140
shoot stroke-a
# Keys go to the focused window (X has no window manager here to keep it):
# the presented window is given the keyboard before each, as it has it on a
# teacher's desktop.
focus_target
xdotool key F9
wait_palette_gone
step "drawn with the pen button; F9 switched drawing off"

# 2. A click on the presented window: it gets it, and a ring shows there.
click_x=940 click_y=200
xdotool mousemove "$click_x" "$click_y" click 1 mousemove 1000 300
for _ in $(seq 50); do grep -q '^left' "$clicks" 2>/dev/null && break; sleep 0.1; done
read -r _ got_x got_y < <(grep '^left' "$clicks" | head -1)
[ "${got_x:-}" = "$click_x" ] && [ "${got_y:-}" = "$click_y" ] ||
  fail "the presented window did not get the click at $click_x,$click_y under the drawing: $(cat "$clicks" 2>/dev/null)"
step "the click went through to the presented window"
sleep 1

# 3. On with F9, a second stroke, off with a right click.
focus_target
xdotool key F9
wait_palette
stroke 140 240 560 200
path_b=$path
wait_red 350 220
xdotool click 3
wait_palette_gone
shoot two-strokes
sleep 1.5

# 4. Cleared: on, clear, off; the screen is free of red again.
click_control RecStatusFrameWndClass status.xml btnPen
wait_palette
click_control TavrixPenPaletteWndClass pen.xml btnClear
wait_not_red 320 140
wait_not_red 350 220
click_control RecStatusFrameWndClass status.xml btnPen
wait_palette_gone
shoot cleared
[ "$(xdotool getwindowfocus)" = "$target_window" ] || fail "the presented window lost the keyboard"
grep -q '^key 120$' "$clicks" && fail "F9 reached the presented window"
# Its own keys it gets, with the drawing on the screen.
focus_target
xdotool key a
for _ in $(seq 50); do grep -q '^key 65$' "$clicks" && break; sleep 0.1; done
grep -q '^key 65$' "$clicks" || fail "the presented window did not get its key"
sleep 1.5

# 5. Stopped and saved.
stop_and_save lesson
window_shown TavrixInkWndClass && fail "the drawing's window is still on the screen after the recording"

# The saved frames, cut to the strokes' area and to the click's.
frames() {  # <x> <y> <width> <height> <out>
  ffmpeg -v error -i "$run/lesson.avi" -vf "crop=$3:$4:$1:$2" -f rawvideo -pix_fmt rgb24 -y "$5" ||
    fail "the lesson does not decode"
}
sx=80 sy=80 sw=520 sh=200
frames $sx $sy $sw $sh "$run/strokes.rgb"
(cd "$bin/tests" && "$wine" ink_frames.exe stroke "$(winpath "$run/strokes.rgb")" $sw $sh $sx $sy \
  "$path_a" "$path_b") | tr -d '\r' >"$run/strokes-a.txt"
(cd "$bin/tests" && "$wine" ink_frames.exe stroke "$(winpath "$run/strokes.rgb")" $sw $sh $sx $sy \
  "$path_b" "$path_a") | tr -d '\r' >"$run/strokes-b.txt"
frames_total=$(wc -l <"$run/strokes-a.txt")
note "$frames_total frames"
[ "$frames_total" -gt 50 ] || fail "the lesson has only $frames_total frames"
limit=$(awk -v w="$pen_width" 'BEGIN { print w / 2 + 2 }')
covered_a=$(awk '$5 == 1' "$run/strokes-a.txt" | wc -l)
covered_b=$(awk '$5 == 1' "$run/strokes-b.txt" | wc -l)
stray=$(awk -v l="$limit" '$3 > 0 && $7 > l' "$run/strokes-a.txt" | head -3)
note "frames with the first stroke whole: $covered_a, the second: $covered_b (pen $pen_width px)"
[ "$covered_a" -ge 3 ] || fail "no frame has red along the first dragged path within 2 pixels"
[ "$covered_b" -ge 3 ] || fail "no frame has red along the second dragged path within 2 pixels"
[ -z "$stray" ] || fail "red lies off the dragged paths (frame red count covered farthest): $stray"
tail -3 "$run/strokes-a.txt" | awk '$3 != 0 { bad = 1 } END { exit bad }' ||
  fail "the last frames, after clear, still have red: $(tail -3 "$run/strokes-a.txt" | xargs)"
last_red=$(awk '$3 > 0 { n = $1 } END { print n + 0 }' "$run/strokes-a.txt")
[ "$last_red" -lt $((frames_total - 10)) ] || fail "red until frame $last_red of $frames_total: clear came too late"

rx=$((click_x - 40)) ry=$((click_y - 40)) rs=80
frames $rx $ry $rs $rs "$run/ring.rgb"
(cd "$bin/tests" && "$wine" ink_frames.exe ring "$(winpath "$run/ring.rgb")" $rs $rs $rx $ry) |
  tr -d '\r' >"$run/ring.txt"
read -r ring_frame _ ring_count _ ring_x ring_y < <(sort -k3,3n "$run/ring.txt" | tail -1)
note "the ring: frame $ring_frame, $ring_count yellow pixels around $ring_x $ring_y (the click: $click_x $click_y)"
[ "${ring_count:-0}" -gt $((ring_diameter * 2)) ] || fail "no click ring in the lesson"
awk -v x="$ring_x" -v y="$ring_y" -v cx="$click_x" -v cy="$click_y" \
  'BEGIN { dx = x - cx; dy = y - cy; exit !(dx * dx <= 1 && dy * dy <= 1) }' ||
  fail "the ring's centre $ring_x $ring_y is more than a pixel from the click $click_x $click_y"
# Gone within half a second: five pictures at 10 a second, a few more where
# a loaded machine repeats a picture it was late to take.
rings=$(awk '$3 > 0' "$run/ring.txt" | wc -l)
[ "$rings" -le 8 ] || fail "the ring shows in $rings frames: it should fade within half a second"
rm -f "$run/strokes.rgb" "$run/ring.rgb"
step "ok"
