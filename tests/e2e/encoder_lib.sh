# shellcheck shell=bash
# What the scripts of the encoder adapter (bin/ffmpeg.exe) share: a work
# folder of the test's own, the adapter started on a command pipe with the
# command line Tavrix gives it, its log, the capture area in the registry,
# the core it must take, and for the sound tests tones played into the
# private sound server's sinks and their levels in the recording.
#
# TAVRIX_BIN names the build's bin/ folder (the product's by default); the
# session is the one ctest gave the test, else one of the script's own.
# Defines $bin, $work, $log (the adapter's log of the recording under way),
# $adapter_pid and the helpers below.

# shellcheck source=../../scripts/lib/session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/session.sh"
session_enter || exit 1
bin=$product_bin
# A green run must mean that the real encoder and core ran.
for f in ffmpeg.exe ffmpeg-core.exe; do
  [ -f "$bin/$f" ] || { echo "FAIL: $bin/$f is missing (scripts/build-core builds it)"; exit 1; }
done
work=$(test_folder "$(basename "$0" .sh)")
log=
adapter_pid=
on_fail '[ -n "$log" ] && [ -f "$log" ] && grep -v "^ALSA" "$log"'
on_exit 'exec 3>&- 2>/dev/null; [ -n "$adapter_pid" ] && kill "$adapter_pid" 2>/dev/null; wait 2>/dev/null'

# The pieces of the command line Tavrix gives the adapter.
quality_normal=(-pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast)
quality_good=(-pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster)
speakers_input=(-f dshow -i 'audio=virtual-audio-capturer')
audio_codec=(-b:a 64k -strict -2 -c:a aac)

# pass: the test passed; its files are not needed any more.
pass() { echo "PASS"; rm -rf "$work"; }

# wait_for_log <pattern> [seconds]: waits (30 s unless told) for a line of the adapter's log.
wait_for_log() {
  local tries=$((${2:-30} * 50))
  for _ in $(seq "$tries"); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.02; done
  fail "the log never said: $1"
}

# adapter_start <output name> <options after the screen input...>: the
# adapter recording the screen into $work/<name>, its commands written to fd 3;
# returns once its first segment records.
adapter_start() {
  local name=$1
  shift
  log=$work/$name.encoder.log
  rm -f "$work/$name.commands"
  mkfifo "$work/$name.commands"
  "$wine" "$bin/ffmpeg.exe" -y -pause_support -f dshow -i 'video=screen-capture-recorder' "$@" \
    "$(winpath "$work/$name")" <"$work/$name.commands" >"$work/$name.adapter.out" 2>&1 &
  adapter_pid=$!
  exec 3>"$work/$name.commands"
  wait_for_log "INFO: segment 1: "
  segment1_seen=$(now)
}

# adapter_send <p|r|q|d>: one command on the adapter's standard input.
adapter_send() { printf '%s\n' "$1" >&3; }

# adapter_finish: "q", then waits for the adapter; adapter_rc is its exit
# code and finish_s the seconds from "q" to its end.
adapter_finish() {
  local t
  t=$(now)
  adapter_send q
  wait "$adapter_pid"
  adapter_rc=$?
  adapter_pid=
  finish_s=$(since "$t")
  exec 3>&-
}

# set_capture_area <x> <y> <width> <height>: the area, as Tavrix writes it
# for the screen filter before a recording (10 frames a second).
set_capture_area() {
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\screen-capture-recorder]\n"start_x"=dword:%08x\n"start_y"=dword:%08x\n"capture_width"=dword:%08x\n"capture_height"=dword:%08x\n"default_max_fps"=dword:0000000a\n' \
    "$@" >"$work/area.reg"
  "$wine" reg import "$(winpath "$work/area.reg")" /reg:32 >/dev/null 2>&1 || fail "reg import"
}

# expect_core: the adapter took the core this Windows must take (the
# product's folder holds both, as the package does).
expect_core() {
  local core
  core=$(expected_core "$bin")
  if [ "${WINEARCH:-win64}" != win32 ] && [ "$(wine_loader "$bin/ffmpeg.exe")" = "$wine" ]; then
    [ -f "$bin/ffmpeg-core-x64.exe" ] || fail "$bin/ffmpeg-core-x64.exe is missing: the product ships both cores"
  fi
  grep 'INFO: recording into ' "$log" | grep -qF "\\$core" ||
    fail "the adapter did not take $core: $(grep -o 'recording into .*' "$log")"
}

# ---- sound

# sound_room: a second null sink, "room", stands for the microphone: its
# monitor is made the default capture endpoint, which the adapter records
# since no endpoint has the microphone's name. Gone when the script ends.
sound_room() {
  sound_use || fail "no private sound server"
  room=$(pactl load-module module-null-sink sink_name=room sink_properties=device.description=Room) ||
    fail "cannot add the room sink"
  pactl set-default-source room.monitor
  on_exit 'pactl set-default-source "$tavrix_speaker_sink.monitor"; pactl unload-module "$room"'
}

# tone FREQ SECONDS: $work/FREQ.wav, loud.
declare -A tone_seconds=() played_from=() played_to=()
tone() {
  tone_seconds[$1]=$2
  ffmpeg -v error -y -f lavfi -i "sine=frequency=$1:duration=$2:sample_rate=44100" -af volume=6 -ac 2 "$work/$1.wav"
}

# play_tone SINK FREQ: plays the tone into that sink (speakers or room) and
# notes on the host clock when it can have begun: not before the call, not
# after its end less the tone's length (paplay returns once it was played).
play_tone() {
  played_from[$2]=$(now)
  paplay --device="$1" "$work/$2.wav"
  played_to[$2]=$(now)
}

# levels FREQ: the level of that tone's band in $work/out.avi, one line per
# 50 ms window, "time rms" (rms of 16-bit samples).
levels() {
  ffmpeg -v error -i "$work/out.avi" -vn -af "bandpass=f=$1:width_type=h:w=150,bandpass=f=$1:width_type=h:w=150" \
    -ac 1 -ar 8000 -f s16le - | od -An -td2 -v -w2 |
    awk '{ s += $1 * $1; n++; if (n == 400) { printf "%.2f %.0f\n", w * 0.05, sqrt(s / n); w++; s = 0; n = 0 } }'
}

# tone_onset FREQ: the time of the first 50 ms window loud in that band of
# $work/FREQ.txt (levels FREQ), empty when none is.
tone_onset() { awk '$2 > 2000 { print $1; exit }' "$work/$1.txt"; }

# expect_played_onset FREQ: the tone played during the first segment starts
# in the recording where it was played. The recording's time 0 is the first
# segment's first picture, which the adapter logs against the gate's opening
# (the "segment 1" line); the tone began between play_tone's two times. The
# window allows for the log being seen a little after the gate opened and
# for the 50 ms steps of the levels; a loaded machine that starts paplay
# late moves the window with it.
expect_played_onset() {
  local f=$1 onset picture window
  onset=$(tone_onset "$f")
  [ -n "$onset" ] || fail "the $f Hz tone is not in the file"
  picture=$(sed -n 's/.*first picture \(-\{0,1\}[0-9]*\) ms after the gate opened.*/\1/p' "$log" | head -1)
  window=$(awk -v s="$segment1_seen" -v a="${played_from[$f]}" -v b="${played_to[$f]}" -v l="${tone_seconds[$f]}" \
    -v p="${picture:-100}" 'BEGIN { printf "%.2f %.2f", a - s - p / 1000 - 0.15, b - l - s - p / 1000 + 0.5 }')
  echo "$f Hz: starts at $onset s in the file; played from $window s (first picture ${picture:-?} ms after the gate)"
  awk -v t="$onset" -v w="$window" 'BEGIN { split(w, x, " "); exit !(t >= x[1] && t <= x[2]) }' ||
    fail "the $f Hz tone starts at $onset s, not where it was played (from ${window/ / to } s)"
}
# tone_level FREQ FROM TO: the mean level in that band between the two times.
tone_level() { awk -v a="$2" -v b="$3" '$1 >= a && $1 < b { s += $2; n++ } END { printf "%.0f", n ? s / n : 0 }' "$work/$1.txt"; }
