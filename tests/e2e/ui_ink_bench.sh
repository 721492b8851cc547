#!/usr/bin/env bash
# The drawing's benchmark, by hand (scripts/test does not run it): Tavrix
# recording a 1920x1080 screen with the real encoder, drawing driven by real
# mouse input (ink_probe, SendInput), on a display of its own with a
# compositor. It prints:
#   - ink latency: from a mouse move to the stroke's red on the screen, read
#     back from the screen by the probe after each move (percentiles);
#   - Tavrix's CPU (and the encoder core's) over <seconds> each: idle with
#     nothing drawn, the mouse moving with drawing off (click rings on),
#     drawing continuously, strokes on the screen with drawing off, and
#     after clear (the overlay gone from the screen).
#
#   tests/e2e/ui_ink_bench.sh [seconds]      (the product unless TAVRIX_BIN names another build's bin/)
set -uo pipefail
seconds=${1:-30}
dpi=96
case_name=ink_bench
screen=1920x1080
source "$(dirname "$0")/ui_ink_lib.sh"

probe_run() { (cd "$bin/tests" && "$wine" ink_probe.exe "$@") | tr -d '\r'; }

show_target 1100 60 760 300 3C3C3C
start_recording
tavrix=$(wine_process 'Tavrix.exe') || fail "no Tavrix process"
core=$(wine_process 'ffmpeg-core') || fail "no encoder core process"
note "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# measure <what> <command...>: CPU of Tavrix and of the core while the
# command runs (or for <seconds> when the command is "idle").
measure() {
  local what=$1 t0 c0 w0 t1 c1 w1
  shift
  t0=$(cpu_seconds "$tavrix") c0=$(cpu_seconds "$core") w0=$(date +%s.%N)
  if [ "$1" = idle ]; then sleep "$seconds"; else "$@" >/dev/null; fi
  t1=$(cpu_seconds "$tavrix") c1=$(cpu_seconds "$core") w1=$(date +%s.%N)
  awk -v w="$what" -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" -v w0="$w0" -v w1="$w1" 'BEGIN {
    s = w1 - w0
    printf "%-34s Tavrix %5.1f %% of a core, encoder core %5.1f %% (%.0f s)\n", w, 100 * (t1 - t0) / s, 100 * (c1 - c0) / s, s }'
}

sleep 2
measure "nothing drawn, mouse still" idle
measure "drawing off, mouse moving" probe_run move "$seconds" 500 250 150

click_control RecStatusFrameWndClass status.xml btnPen
wait_palette
probe_run latency 100 120 1800 6 3 40
measure "drawing continuously" probe_run draw "$seconds" 500 330 150
focus_target
xdotool key F9
wait_palette_gone
measure "strokes shown, drawing off" idle

click_control RecStatusFrameWndClass status.xml btnPen
wait_palette
click_control TavrixPenPaletteWndClass pen.xml btnClear
click_control RecStatusFrameWndClass status.xml btnPen
wait_palette_gone
measure "cleared, overlay off the screen" idle
note "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
stop_and_save bench
