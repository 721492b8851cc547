#!/usr/bin/env bash
# The screens a teacher has, end to end with the real Tavrix.exe, the real
# encoder and real X input; each recording is saved through the Save dialog
# and its picture checked:
#   second_monitor_region, second_monitor_full
#                 a display of two monitors (Xorg with the dummy video driver,
#                 started by the test: a 1024x768 projector left of the
#                 1280x800 primary screen) and a red window on the projector:
#                 a region dragged on the projector (negative x), or the
#                 projector in full (the startup window dragged onto it, then
#                 全屏), is what the registry says and shows the red window
#                 where it stands;
#   dpi_144       display scaling at 150 % (LogPixels 144 in the prefix): a
#                 region dragged with real input is the same physical
#                 rectangle in the registry and in the video, and shows the
#                 red window where it stands.
# Each makes a Wine prefix of its own, copied from the session's template.
#
#   ui_screens.sh <case>      (TAVRIX_BIN names the build's bin folder)
set -uo pipefail
case_name=${1:?which case}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_lib.sh"
for f in ffmpeg.exe ffmpeg-core.exe; do
  [ -f "$bin/$f" ] || fail "$bin/$f is missing (scripts/build-core builds it)"
done
encoder_files=("$bin/ffmpeg.exe" "$bin"/ffmpeg-core*.exe)

# Where Wine's screen coordinates start on the X screen: the X root's (0, 0)
# is the virtual screen's top-left, left of the primary monitor when a
# monitor lies there.
screen_left=0
screen_top=0

xorg_pid=""
on_exit '[ -n "$xorg_pid" ] && kill "$xorg_pid" 2>/dev/null'

# Xorg with the dummy video driver, two outputs placed by xrandr: DUMMY0 the
# primary 1280x800 screen, DUMMY1 a 1024x768 projector left of it.
start_two_monitor_display() {
  local dir=$work_root/xorg
  rm -rf "$dir"
  mkdir -p "$dir"
  cat >"$dir/xorg.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 800
  EndSubSection
EndSection
EOF
  command -v Xorg >/dev/null || fail "no Xorg (scripts/setup installs xserver-xorg-core)"
  Xorg -displayfd 3 -config "$dir/xorg.conf" -noreset -nolisten tcp -logfile "$dir/xorg.log" \
    3>"$dir/display" >"$dir/output.txt" 2>&1 &
  xorg_pid=$!
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { tail -20 "$dir/output.txt"; fail "Xorg with the dummy driver did not start"; }
  export DISPLAY=:$(cat "$dir/display")
  xrandr --newmode 1024x768_tavrix 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync &&
    xrandr --addmode DUMMY1 1024x768_tavrix &&
    xrandr --output DUMMY0 --mode 1280x800 --pos 1024x0 --primary --output DUMMY1 --mode 1024x768_tavrix --pos 0x0 ||
    fail "xrandr could not set up two outputs"
  # A full probe of the outputs: Wine reads the outputs' last probed state,
  # which until then still has DUMMY1 disconnected (Wine lists one monitor).
  xrandr >/dev/null
  screen_left=-1024
}

# The test's own prefix at the given display scaling, copied from the
# template (its wineserver starts on this display, whose monitors it keeps).
use_screens_prefix() {
  prefix_at_dpi "$work_root/prefix" "$1" || fail "no prefix of the test's own"
}

step() { note "${SECONDS}s: $*"; }

# X root coordinates of a point in Wine's screen coordinates.
root_x() { echo $(($1 - screen_left)); }
root_y() { echo $(($1 - screen_top)); }

# A registry DWORD written from a signed coordinate, read back signed.
signed_setting() {
  local v
  v=$(capture_setting "$1")
  [ "$v" = missing ] && { echo missing; return; }
  [ "$v" -ge 2147483648 ] && v=$((v - 4294967296))
  echo "$v"
}

# A red window at x y width height (Wine's screen coordinates); it goes with
# the wineserver at the end.
show_red_window() {
  (cd "$bin/tests" && exec "$wine" colour_window.exe "$@" FF0000 >/dev/null 2>&1) &
  wait_window TavrixTestColourWindow
}

# Drags a region on the selector from one corner to the other (Wine's screen
# coordinates) and confirms it with OK.
select_region() {
  click_control RecStartupFrameWndClass startup.xml optionAreaCustom
  wait_window SelectWnd Select
  # Shown on the X screen too, before the drag starts.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Select$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.5
  drag "$(root_x "$1")" "$(root_y "$2")" "$(root_x "$3")" "$(root_y "$4")"
  local ok x y w h
  ok=$(probe child SelectWnd Select OK 5000) || fail "no OK button under the region"
  read -r x y w h <<<"$ok"
  xdotool mousemove "$(root_x $((x + w / 2)))" "$(root_y $((y + h / 2)))" sleep 0.1 click 1
  wait_selector_gone
}

# Records about two seconds without sound and saves the lesson as <name>.avi
# in the test's folder through the Save dialog. `bar`: "x y width height" of
# the status bar while recording.
record_and_save() {
  record_start "$1"
  sleep 2.5
  shoot "$1-recording"
  record_finish "$1"
}

# Starts a recording (tip, countdown) and waits for the status bar; `tip`:
# where the tip window stood, `bar`: where the status bar stands.
record_start() {
  click_control RecStartupFrameWndClass startup.xml startBtn
  wait_window RecTSFrameWndClass
  sleep 0.3
  tip=$(window_geometry RecTSFrameWndClass)
  click_control RecTSFrameWndClass TSSkin.xml btnOK
  wait_window RecStatusFrameWndClass "*" 20000
  step "recording $1"
  sleep 0.5
  bar=$(window_geometry RecStatusFrameWndClass)
}

# Stops the recording, finishes it and saves it as <name>.avi in the test's
# folder; `after`: where the after-recording window stood.
record_finish() {
  local name=$1 dialog=""
  click_control RecStatusFrameWndClass status.xml btnStop
  wait_window RecProcessWndClass
  after=$(window_geometry RecProcessWndClass)
  click_control RecProcessWndClass process.xml doneBtn
  save_in_dialog "$run" "$name"
  step "saved $name.avi"
}

# "width height" of a saved recording's picture.
video_size() {
  ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of default=nw=1:nk=1 "$run/$1.avi" | xargs
}

# red_at <name> <x> <y>: the recording's frame at 1.5 s is red at that pixel
# (cut out 2 pixels wide: the picture's colour is stored per 2x2 block).
red_at() {
  local rgb
  rgb=$(ffmpeg -v error -ss 1.5 -i "$run/$1.avi" -frames:v 1 -vf "crop=2:2:$2:$3" -f rawvideo -pix_fmt rgb24 - |
        od -An -tu1 -N3 | xargs)
  note "$1.avi at ($2, $3): $rgb"
  set -- $rgb
  [ $# -eq 3 ] && [ "$1" -gt 180 ] && [ "$2" -lt 80 ] && [ "$3" -lt 80 ]
}

# expect_area <what> <x> <y> <width> <height>: the six registry values hold
# that area (within a pixel or two of what was dragged: the size is even).
near() { local d=$(($1 - $2)); [ "${d#-}" -le 2 ]; }
expect_area() {
  local what=$1 x y w h
  x=$(signed_setting start_x); y=$(signed_setting start_y)
  w=$(capture_setting capture_width); h=$(capture_setting capture_height)
  note "$what in the registry: $x $y ${w}x$h"
  [ "$(capture_setting default_max_fps)" = 10 ] || fail "default_max_fps is $(capture_setting default_max_fps)"
  near "$x" "$2" && near "$y" "$3" && near "$w" "$4" && near "$h" "$5" ||
    fail "$what: the registry holds $x $y ${w}x$h, expected about $2 $3 ${4}x$5"
  area_x=$x area_y=$y area_w=$w area_h=$h
}

expect_video_size() {
  local size
  size=$(video_size "$1")
  note "$1.avi: $size"
  [ "$size" = "$2 $3" ] || fail "$1.avi is $size, the registry says $2 $3"
}

start_tavrix() {
  prepare_folder
  reset_capture_settings
  start_program_retrying
  wait_window RecStartupFrameWndClass Tavrix 30000
  # No sound: a lesson's picture is what is checked here.
  click_control RecStartupFrameWndClass startup.xml checkRecordAudio
}

# Both monitors, Wine seeing them, a red window on the projector at (-960, 60)
# to (-640, 280), and Tavrix's startup window on the primary screen.
start_on_two_monitors() {
  start_two_monitor_display
  use_screens_prefix 96
  start_probe
  local monitors
  monitors=$(probe monitors) || fail "no monitors listed"
  note "Wine's monitors: $monitors"
  [ "$monitors" = "0 0 1280 800, -1024 0 0 768" ] || fail "Wine does not see the two monitors: $monitors"
  show_red_window -960 60 320 220
  start_tavrix
  step "Tavrix started"
}

# on_projector <what> "<x y w h>": the window stood wholly on the projector.
on_projector() {
  local x y w h
  read -r x y w h <<<"$2"
  note "$1 stood at $x $y ${w}x$h"
  [ "$x" -ge -1024 ] && [ $((x + w)) -le 0 ] && [ "$y" -ge 0 ] && [ $((y + h)) -le 768 ] ||
    fail "$1 was not on the projector: $2"
}

case_second_monitor_region() {
  start_on_two_monitors
  # A region on the projector: (-900, 100) to (-500, 400).
  select_region -900 100 -500 400
  record_and_save region
  expect_area "the region on the projector" -900 100 400 300
  expect_video_size region "$area_w" "$area_h"
  # The red window's middle is at (-800, 170): inside the region.
  red_at region $((-800 - area_x)) $((170 - area_y)) || fail "the red window is not in the region's recording"
  red_at region $((-550 - area_x)) $((350 - area_y)) && fail "the region's recording is red outside the red window"
  # The status bar on the projector, outside the region (below it: there is room).
  local x y w h
  read -r x y w h <<<"$bar"
  note "the status bar stood at $x $y ${w}x$h"
  [ $((x + w)) -le 0 ] && [ "$x" -ge -1024 ] && [ "$y" -ge 400 ] && [ $((y + h)) -le 768 ] ||
    fail "the status bar was not on the projector below the region: $bar"
  on_projector "the tip" "$tip"
  on_projector "the after-recording window" "$after"
  step "ok"
}

case_second_monitor_full() {
  start_on_two_monitors
  # The startup window dragged onto the projector by its caption, then
  # 全屏 (the choice at start) and Start.
  local x y w h
  read -r x y w h <<<"$(window_geometry RecStartupFrameWndClass)"
  drag "$(root_x $((x + 150)))" "$(root_y $((y + 20)))" "$(root_x $((-600 + 150)))" "$(root_y $((300 + 20)))"
  read -r x y w h <<<"$(window_geometry RecStartupFrameWndClass)"
  note "the startup window now at $x $y"
  [ "$x" -lt 0 ] && [ $((x + w)) -le 0 ] || fail "the startup window did not move onto the projector: $x $y"
  shoot startup-on-projector
  record_and_save full
  read -r x y w h <<<"$(window_geometry RecStartupFrameWndClass)"
  note "after the recording the startup window is at $x $y"
  [ "$x" -lt 0 ] || fail "the startup window came back off the projector, at $x $y"
  expect_area "the projector in full" -1024 0 1024 768
  [ "$area_x $area_y $area_w $area_h" = "-1024 0 1024 768" ] || fail "full screen is not the projector"
  expect_video_size full 1024 768
  read -r x y w h <<<"$bar"
  note "the status bar stood at $x $y ${w}x$h"
  [ $((x + w)) -le 0 ] && [ "$x" -ge -1024 ] && [ $((y + h)) -le 768 ] || fail "the status bar was not on the projector: $bar"
  on_projector "the tip" "$tip"
  on_projector "the after-recording window" "$after"
  red_at full $((-800 + 1024)) 170 || fail "the red window is not in the projector's recording"
  red_at full $((-400 + 1024)) 170 && fail "the projector's recording is red beside the red window"
  step "ok"
}

case_dpi_144() {
  use_screens_prefix 144
  layout_dpi=144
  start_probe
  # The red window: (300, 200) to (500, 300).
  show_red_window 300 200 200 100
  start_tavrix
  local geometry
  geometry=$(window_geometry RecStartupFrameWndClass)
  note "startup window at 144 dpi: $geometry"
  [ "$(cut -d' ' -f3-4 <<<"$geometry")" = "750 645" ] || fail "the startup window is not at 150 %: $geometry"
  select_region 200 150 700 450
  record_and_save region
  expect_area "the region at 144 dpi" 200 150 500 300
  expect_video_size region "$area_w" "$area_h"
  red_at region $((400 - area_x)) $((250 - area_y)) || fail "the red window is not where the region says"
  red_at region $((600 - area_x)) $((250 - area_y)) && fail "the recording is red beside the red window"
  step "ok"
}

# The display changes during a pause: the primary screen goes from 1280x800
# to 1024x768 (a projector plugged in and "duplicate" chosen), and the
# lesson is recorded in full before and after. The joined lesson is one
# picture size, the first segment's, and decodes from start to end.
case_resolution_change() {
  # A lesson an earlier failed run left would be offered first.
  rm -rf "$work_root"/prefix/drive_c/users/*/Temp/Rec*
  start_on_two_monitors
  record_start before
  sleep 3
  click_control RecStatusFrameWndClass status.xml btnStop
  wait_window RecProcessWndClass
  step "paused; the primary screen changes to 1024x768"
  xrandr --addmode DUMMY0 1024x768_tavrix &&
    xrandr --output DUMMY0 --mode 1024x768_tavrix --pos 1024x0 ||
    fail "xrandr could not change the primary screen's mode"
  xrandr >/dev/null
  local monitors=""
  for _ in $(seq 100); do
    monitors=$(probe monitors)
    [ "$monitors" = "0 0 1024 768, -1024 0 0 768" ] && break
    sleep 0.2
  done
  note "Wine's monitors now: $monitors"
  [ "$monitors" = "0 0 1024 768, -1024 0 0 768" ] || fail "Wine did not see the new mode: $monitors"
  shoot resolution-changed
  click_control RecProcessWndClass process.xml resumeBtn
  wait_window RecStatusFrameWndClass "*" 20000
  step "recording again at 1024x768"
  sleep 3
  record_finish changed
  expect_video_size changed 1280 800
  local duration
  duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$run/changed.avi")
  ffmpeg -v error -i "$run/changed.avi" -f null - 2>"$run/decode.txt" || fail "changed.avi does not decode"
  [ -s "$run/decode.txt" ] && fail "decoding errors: $(head -3 "$run/decode.txt")"
  note "changed.avi: $duration s"
  awk -v d="$duration" 'BEGIN { exit !(d >= 5) }' || fail "changed.avi lasts $duration s of about 6 s recorded"
  step "ok"
}

"case_$case_name"
