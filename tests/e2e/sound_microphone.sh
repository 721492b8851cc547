#!/usr/bin/env bash
# Real sound through the encoder adapter (bin/ffmpeg.exe) and the stock core:
# the microphone alone, named "In: default" as Wine names its inputs. A null
# sink "room" stands for the microphone: its monitor is made the default
# capture endpoint, which the adapter records since no endpoint has that
# name. While it records:
#   - 1 kHz in the room, 1 s after the recording began: it must be in the
#     file, loud, starting where it was played;
#   - 3 kHz in the room, wholly inside a 2 s pause: it must not be there;
#   - 500 Hz on the speakers in the first second, which are not recorded: it
#     must not be there.
#   sound_microphone.sh BUILD_DIR
set -uo pipefail
build=$1
source "$(dirname "$0")/sound_lib.sh"
tone 1000 1 && tone 3000 1 && tone 500 1 || fail "cannot make the tones"

set_capture_area

mkfifo "$work/commands"
"$wine" "$bin/ffmpeg.exe" -y -pause_support -f dshow -i 'video=screen-capture-recorder' \
  -f dshow -i 'audio=In: default' \
  -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast \
  -b:a 64k -strict -2 -c:a aac "$out" \
  <"$work/commands" >"$work/adapter.out" 2>&1 &
adapter_pid=$!
exec 3>"$work/commands"

wait_for_log "INFO: segment 1: "
paplay --device=speakers "$work/500.wav" &
sleep 1
paplay --device=room "$work/1000.wav"
sleep 1
printf 'p\n' >&3
wait_for_log "segment 1 ended"
sleep 0.3; paplay --device=room "$work/3000.wav"; sleep 0.7
printf 'r\n' >&3
wait_for_log "INFO: segment 2: "
sleep 1.5
printf 'q\n' >&3
wait "$adapter_pid"; rc=$?; adapter_pid=
exec 3>&-
[ "$rc" -eq 0 ] || fail "the adapter exited with $rc"
[ -s "$work/out.avi" ] || fail "no output file"
grep -q 'microphone: captured by the adapter' "$log" || fail "the microphone was not captured by the adapter"
grep -q 'amix' "$log" && fail "one sound source was mixed"
[ "$(grep -c 'part[0-9]*\.mkv: track 1.*track 2: [1-9]' "$log")" -eq 2 ] || fail "a segment lacks sound"

levels 1000 >"$work/1000.txt"
onset=$(awk '$2 > 2000 { print $1; exit }' "$work/1000.txt")
loud=$(awk '$1 >= 1.3 && $1 < 1.8 { s += $2; n++ } END { printf "%.0f", s / n }' "$work/1000.txt")
pause_tone=$(levels 3000 | sort -k2 -n | tail -1 | awk '{ print $2 }')
# The speakers' tone plays in the first second, before the room's: measured
# there, where the loud room tone cannot leak into its band.
speakers=$(levels 500 | awk '$1 >= 0.1 && $1 < 0.9' | sort -k2 -n | tail -1 | awk '{ print $2 }')
echo "1 kHz: starts at ${onset:-never} s (played 1 s into the recording), level $loud while it plays"
echo "3 kHz (played while paused): highest level $pause_tone; 500 Hz (on the speakers): highest level $speakers"
[ -n "$onset" ] || fail "the 1 kHz tone is not in the file"
awk -v t="$onset" 'BEGIN { exit !(t >= 0.8 && t <= 1.5) }' || fail "the 1 kHz tone starts at $onset s, not at about 1 s"
[ "$loud" -gt 4000 ] || fail "the 1 kHz tone is too quiet ($loud)"
[ "$pause_tone" -lt 300 ] || fail "the tone played during the pause is in the file (level $pause_tone)"
[ "$speakers" -lt 300 ] || fail "the speakers' sound is in a microphone-only recording (level $speakers)"
echo "PASS"
rm -rf "$work"
