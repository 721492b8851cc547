# shellcheck shell=bash
# Shared steps of the drawing's end-to-end test, benchmark and README
# pictures: a display of its own with a compositor (Wine shows a layered
# window's translucency only with one), a Wine prefix of its own at the
# drawing's scaling (its server started on that display), a window standing
# in for the presented program, Tavrix recording the full screen with the
# real encoder, and strokes with real X input.
#
# Before sourcing: dpi, case_name, screen ("WIDTHxHEIGHT"). Then the steps of
# program_lib.sh are available too.

# shellcheck source=program_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/program_lib.sh"
for f in ffmpeg.exe ffmpeg-core.exe tests/click_target.exe tests/ink_frames.exe tests/ink_probe.exe tests/e2e_window.exe; do
  [ -f "$bin/$f" ] || fail "$bin/$f is missing (the build makes it; scripts/build-core the core)"
done
encoder_files=("$bin/ffmpeg.exe" "$bin"/ffmpeg-core*.exe)
ink_root=$work_root

display_start "$screen" || fail "no display"
xcompmgr -n </dev/null >/dev/null 2>&1 &
compositor_pid=$!
target_pid=""
on_exit '[ -n "$target_pid" ] && kill "$target_pid" 2>/dev/null; kill "$compositor_pid" 2>/dev/null'
prefix_at_dpi "$work_root/prefix-$dpi" "$dpi" || fail "no Wine prefix at $dpi dpi"
[ "$dpi" != 96 ] && layout_dpi=$dpi
step() { note "${SECONDS}s: $*"; }

# show_target <x> <y> <width> <height> <RRGGBB> [text]: the presented
# program, noting in $clicks what it gets; then it gets the keyboard.
clicks=$ink_root/clicks-$case_name.txt
show_target() {
  rm -f "$clicks"
  (cd "$bin/tests" && exec "$wine" click_target.exe "${@:1:5}" "$clicks" "${@:6}" >/dev/null 2>&1) &
  target_pid=$!
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^click target$' 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "the presented window did not show"
  target_window=$id
}
focus_target() {
  xdotool windowfocus --sync "$target_window" 2>/dev/null
  sleep 0.3
}

# Whether the screen's pixel at x y is red; waiting for it to be, or not to be.
screen_red() {
  local rgb
  rgb=$(import -window root -crop "1x1+$1+$2" -depth 8 rgb:- 2>/dev/null | od -An -tu1 | xargs)
  set -- $rgb
  [ $# -eq 3 ] && [ "$1" -gt 150 ] && [ "$2" -lt 100 ] && [ "$3" -lt 100 ]
}
wait_red() {
  for _ in $(seq 100); do screen_red "$1" "$2" && return 0; sleep 0.1; done
  fail "the screen did not turn red at $1,$2"
}
wait_not_red() {
  for _ in $(seq 100); do screen_red "$1" "$2" || return 0; sleep 0.1; done
  fail "the screen stayed red at $1,$2"
}

# stroke <x1> <y1> <x2> <y2> [steps]: the left button dragged in mouse moves;
# `path` gets the points the mouse was at ("x,y;x,y;...").
stroke() {
  local x1=$1 y1=$2 x2=$3 y2=$4 steps=${5:-8} i x y
  path="$x1,$y1"
  xdotool mousemove "$x1" "$y1" sleep 0.1 mousedown 1
  for i in $(seq 1 "$steps"); do
    x=$((x1 + (x2 - x1) * i / steps))
    y=$((y1 + (y2 - y1) * i / steps))
    xdotool mousemove "$x" "$y" sleep 0.05
    path="$path;$x,$y"
  done
  xdotool mouseup 1
}

wait_palette() { wait_window TavrixPenPaletteWndClass; }
wait_palette_gone() { wait_window_gone TavrixPenPaletteWndClass; }

# Tavrix started in a fresh folder, sound off, and a full-screen recording
# under way, the presented window given the keyboard back.
start_recording() {
  prepare_folder
  reset_capture_settings
  start_program_retrying
  wait_window RecStartupFrameWndClass Tavrix 30000
  click_control RecStartupFrameWndClass startup.xml checkRecordAudio
  [ "${1:-}" = no-rings ] && click_control RecStartupFrameWndClass startup.xml checkShowClicks
  click_control RecStartupFrameWndClass startup.xml startBtn
  wait_window RecTSFrameWndClass
  sleep 0.3
  click_control RecTSFrameWndClass TSSkin.xml btnOK
  wait_window RecStatusFrameWndClass "*" 20000
  focus_target
  step "recording; the presented window has the keyboard"
}

# Stop, Done, and the lesson saved as <name>.avi in the run folder.
stop_and_save() {
  local name=$1
  click_control RecStatusFrameWndClass status.xml btnStop
  wait_window RecProcessWndClass
  click_control RecProcessWndClass process.xml doneBtn
  save_in_dialog "$run" "$name"
  step "saved $name.avi"
}

# The Linux process of a Wine program by its file name, in this test's
# prefix (other Wine programs of the same name may run on the machine).
wine_process() {
  local p
  for p in /proc/[0-9]*; do
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -q "$1" || continue
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}
# CPU seconds a process has used so far.
cpu_seconds() { awk -v t="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat"; }
