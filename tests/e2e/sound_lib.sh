# What the real-sound end-to-end scripts share: the encoder adapter recording
# from the private sound server's null sinks. "speakers" is the server's own
# sink; a second null sink, "room", stands for the microphone: its monitor is
# made the default capture endpoint, which the adapter records since no
# endpoint has the microphone's name. Sourced with $build set; defines $bin,
# $wine, $work, $log and $adapter_pid, the helpers below, and a cleanup that
# also runs a script's own `extra_cleanup` when it defines one.
bin=$build/bin
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine=/usr/lib/wine/wine64
# A green run must mean that real sound went through the real encoder.
if [ ! -f "$bin/ffmpeg-core.exe" ]; then
  echo "FAIL: $bin/ffmpeg-core.exe is missing (scripts/build-core builds it)"
  exit 1
fi
source "$src/scripts/sound-server.sh"
use_sound_server || { echo "FAIL: no private sound server (scripts/test starts one)"; exit 1; }
work=$(mktemp -d "$build/sound-e2e.XXXXXX")
log=$work/out.avi.encoder.log
out="Z:${work//\//\\}\\out.avi"
adapter_pid=
room=$(pactl load-module module-null-sink sink_name=room sink_properties=device.description=Room) ||
  { echo "FAIL: cannot add the room sink"; exit 1; }
pactl set-default-source room.monitor
cleanup() {
  exec 3>&- 2>/dev/null
  declare -F extra_cleanup >/dev/null && extra_cleanup
  [ -n "$adapter_pid" ] && kill "$adapter_pid" 2>/dev/null
  wait 2>/dev/null
  pactl set-default-source speakers.monitor
  pactl unload-module "$room"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$log" ] && grep -v '^ALSA' "$log"; exit 1; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
# Waits up to 30 s for a line of the adapter's log.
wait_for_log() {
  for _ in $(seq 1500); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.02; done
  fail "the log never said: $1"
}
# tone FREQ SECONDS: $work/FREQ.wav, loud.
tone() { ffmpeg -v error -y -f lavfi -i "sine=frequency=$1:duration=$2:sample_rate=44100" -af volume=6 -ac 2 "$work/$1.wav"; }
# levels FREQ: the level of that tone's band in the recording, one line per
# 50 ms window, "time rms" (rms of 16-bit samples).
levels() {
  ffmpeg -v error -i "$work/out.avi" -vn -af "bandpass=f=$1:width_type=h:w=150,bandpass=f=$1:width_type=h:w=150" \
    -ac 1 -ar 8000 -f s16le - | od -An -td2 -v -w2 |
    awk '{ s += $1 * $1; n++; if (n == 400) { printf "%.2f %.0f\n", w * 0.05, sqrt(s / n); w++; s = 0; n = 0 } }'
}
# A small capture area, as Tavrix writes it before a recording.
set_capture_area() {
  cat >"$work/area.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\SOFTWARE\screen-capture-recorder]
"start_x"=dword:00000000
"start_y"=dword:00000000
"capture_width"=dword:000000a0
"capture_height"=dword:00000078
"default_max_fps"=dword:0000000a
REG
  "$wine" reg import "Z:${work//\//\\}\\area.reg" /reg:32 >/dev/null 2>&1 || fail "reg import"
}
