#!/usr/bin/env bash
# The region selector and the corner markers end to end, with real X input:
# a region dragged from bottom-right to top-left, widened, moved and confirmed
# with OK shows its corner markers; Escape, a right click on the dimmed screen,
# a right click on a chosen region followed by Escape, and Alt+F4 (a cancel,
# not the end of the program), each behave as a user expects. Screenshots
# land in build/<preset>/e2e/<test>/.
#
#   ui_region_selector.sh
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/session.sh"
session_enter || exit 1
set -e
tests_bin=$product_bin/tests
shots=$(test_folder ui_region_selector)
work=$shots/program
mkdir -p "$work"

# The program beside its skin pictures, as installed.
cp "$tests_bin/region_probe.exe" "$work/"
mkdir "$work/skin"
convert -size 35x20 xc:'#1E1E1E' -fill none -stroke '#40D060' -strokewidth 3 \
        -draw 'polyline 10,10 15,15 25,5' "$work/skin/tick_nor.png"
convert -size 35x20 xc:'#1E1E1E' -fill none -stroke '#F05040' -strokewidth 3 \
        -draw 'line 12,4 23,15' -draw 'line 23,4 12,15' "$work/skin/crose_nor.png"

# A compositor, so the dark layer's transparency shows.
xcompmgr -n >/dev/null 2>&1 &
compositor=$!
on_exit 'kill $compositor 2>/dev/null || true'
sleep 0.5

( cd "$work" && exec "$wine" ./region_probe.exe result.txt 5000 ) >"$work/probe.log" 2>&1 &
program=$!
on_exit 'kill $program 2>/dev/null || true' 

# pixel SHOT X Y -> "R G B"
pixel() {
  convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)] %[fx:int(255*p{'"$2,$3"'}.g)] %[fx:int(255*p{'"$2,$3"'}.b)]' info:
}
shot() { sleep 0.6; import -window root "$shots/$1.png"; echo "$shots/$1.png"; }
wait_selector() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Select$' 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { sleep 0.5; return 0; }
    sleep 0.1
  done
  fail "the selector did not show"
}
# Wine without a window manager unmaps a full-screen window up to two seconds
# after it was hidden.
wait_hidden() {
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name '^Select$' 2>/dev/null || true)" ] && return 0
    sleep 0.1
  done
  fail "the selector did not hide"
}
wait_lines() {
  for _ in $(seq 100); do
    [ -f "$work/result.txt" ] && [ "$(wc -l <"$work/result.txt")" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 result lines, got: $(cat "$work/result.txt" 2>/dev/null)"
}
line() { sed -n "$1p" "$work/result.txt"; }
# brighter R G B: succeeds when the first colour is clearly brighter than the second
brighter() { set -- $1 $2; [ $(($1 + $2 + $3)) -gt $(($4 + $5 + $6 + 150)) ]; }

wait_selector
s=$(shot 1-waiting)
dim=$(pixel "$s" 450 300)
brighter "210 220 240" "$dim" || fail "the screen is not dimmed while waiting: $dim"

# Drawn from bottom-right to top-left.
xdotool mousemove 700 500 mousedown 1 mousemove 600 420 mousemove 400 300 mousemove 200 150 mouseup 1
s=$(shot 2-chosen)
inside=$(pixel "$s" 450 300); outside=$(pixel "$s" 100 300)
brighter "$inside" "$outside" || fail "the chosen region is not cut out: inside $inside, outside $outside"
set -- $(pixel "$s" 200 300)
[ "$3" -gt $(($1 + 100)) ] || fail "no blue outline on the left edge: $*"

# Widened by the right edge, then moved by its inside.
xdotool mousemove 700 320 mousedown 1 mousemove 730 320 mousemove 760 320 mouseup 1
xdotool mousemove 450 320 mousedown 1 mousemove 480 340 mousemove 500 350 mouseup 1
s=$(shot 3-moved)
old=$(pixel "$s" 220 300); new=$(pixel "$s" 300 300)
brighter "$new" "$old" || fail "the moved region is not where expected: $old / $new"

# OK, the right-hand button under the region's right end.
xdotool mousemove 792 545 click 1
wait_lines 1
[ "$(line 1)" = "selected 250 180 810 530" ] || fail "OK gave: $(line 1)"
wait_hidden
s=$(shot 4-corners)
[ "$(pixel "$s" 280 180)" = "0 186 255" ] || fail "no corner stroke at the top-left: $(pixel "$s" 280 180)"
[ "$(pixel "$s" 810 500)" = "0 186 255" ] || fail "no corner stroke at the bottom-right: $(pixel "$s" 810 500)"
clear=$(pixel "$s" 450 300)
brighter "$clear" "60 60 60" || fail "the screen stays dark after OK: $clear"

# Shown again: Escape cancels, and the markers go.
wait_selector
xdotool windowfocus --sync "$id" 2>/dev/null || true
sleep 0.3
xdotool key Escape
wait_lines 2
[ "$(line 2)" = "cancelled" ] || fail "Escape gave: $(line 2)"
wait_hidden
s=$(shot 5-escaped)
[ "$(pixel "$s" 280 180)" != "0 186 255" ] || fail "the corner markers stay after a cancel"

# Shown again: a right click before anything is drawn cancels.
wait_selector
xdotool mousemove 300 300 click 3
wait_lines 3
[ "$(line 3)" = "cancelled" ] || fail "a right click gave: $(line 3)"
wait_hidden

# Shown again: a right click on a chosen region starts over; then Escape.
wait_selector
xdotool mousemove 300 200 mousedown 1 mousemove 500 400 mouseup 1
sleep 0.3
xdotool mousemove 400 300 click 3
s=$(shot 6-started-over)
[ "$(wc -l <"$work/result.txt")" -eq 3 ] || fail "a right click on a region ended the selection"
a=$(pixel "$s" 400 300); b=$(pixel "$s" 250 300)
brighter "$a" "$b" && fail "the region is still cut out after starting over"
xdotool windowfocus --sync "$id" 2>/dev/null || true
sleep 0.3
xdotool key Escape
wait_lines 4
[ "$(line 4)" = "cancelled" ] || fail "Escape after starting over gave: $(line 4)"

# Shown again: Alt+F4 on the dimmed screen cancels, and the program runs on:
# the selector comes back for the next try.
wait_hidden
wait_selector
xdotool windowfocus --sync "$id" 2>/dev/null || true
sleep 0.3
xdotool key alt+F4
wait_lines 5
[ "$(line 5)" = "cancelled" ] || fail "Alt+F4 gave: $(line 5)"
wait_hidden
wait_selector
echo "region selector end to end: ok (screenshots in $shots)"
