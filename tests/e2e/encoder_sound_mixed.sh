#!/usr/bin/env bash
# Real sound through the encoder adapter (bin/ffmpeg.exe) and the stock core:
# the mixed default, speakers and a microphone named "In: default". The
# private sound server's null sink "speakers" stands for the speakers (the
# sound system here refuses loopback, so the adapter is pointed at the sink's
# monitor); a second null sink, "room", stands for the microphone: its
# monitor is made the default capture endpoint, which the adapter records
# since no endpoint has the microphone's name. While it records:
#   - 1 kHz on the speakers, 1 s after the first segment began: it must be in
#     the file, loud, starting where it was played;
#   - 3 kHz on the speakers, wholly inside a 2 s pause: it must not be there;
#   - 500 Hz in the room throughout ten quick pause/resume cycles, finished
#     with "q": every segment must have it, no pause may take long, and no
#     segment's sound may stop short of its picture (a starved mixer).
#   encoder_sound_mixed.sh
set -uo pipefail
source "$(dirname "$0")/encoder_lib.sh"
sound_room
hum_pid=
on_exit '[ -n "$hum_pid" ] && kill "$hum_pid" 2>/dev/null'
tone 1000 1 && tone 3000 1 && tone 500 60 || fail "cannot make the tones"

set_capture_area 0 0 160 120

pause() {  # pauses segment $1; the segment must have ended within 3 s
  local t; t=$(now)
  adapter_send p
  wait_for_log "segment $1 ended"
  local took; took=$(since "$t")
  echo "pause $1: segment ended after $took s"
  awk -v d="$took" 'BEGIN { exit !(d < 3) }' || fail "pause $1 took $took s"
}
resume() { adapter_send r; wait_for_log "INFO: segment $1: "; }

adapter_start out.avi "${speakers_input[@]}" -f dshow -i 'audio=In: default' "${quality_normal[@]}" \
  "${audio_codec[@]}" -filter_complex amix
expect_core
sleep 1
play_tone speakers 1000
sleep 1
pause 1
sleep 0.3; paplay --device=speakers "$work/3000.wav"; sleep 0.7
paplay --device=room "$work/500.wav" & hum_pid=$!
resume 2
sleep 1
for n in $(seq 2 11); do
  pause "$n"; sleep 0.2
  resume $((n + 1)); sleep 0.8
done
adapter_finish
echo "finish (q to exit): $finish_s s"
kill "$hum_pid" 2>/dev/null; hum_pid=
[ "$adapter_rc" -eq 0 ] || fail "the adapter exited with $adapter_rc"
[ -s "$work/out.avi" ] || fail "no output file"
grep -q 'speakers: captured by the adapter' "$log" || fail "the speakers were not captured by the adapter"
grep -q 'microphone: captured by the adapter' "$log" || fail "the microphone was not captured by the adapter"
grep -q 'amix=inputs=2' "$log" || fail "the two sources were not mixed"
# Every frame decodes. (Where a loaded machine grabbed frames unevenly, two
# frames on either side of a join may share a slot of the AVI's fixed frame
# rate; the null muxer names that, and it is not a decoding error.)
ffmpeg -v error -i "$work/out.avi" -f null - 2>&1 | grep -v 'non monotonically increasing dts' >"$work/decode.txt"
[ ! -s "$work/decode.txt" ] || fail "decoding reports errors: $(head -3 "$work/decode.txt")"

# Every segment has sound that reaches the end of its picture (within two
# audio packets and a frame): the mixer was never starved.
parts=$(grep -c 'part[0-9]*\.mkv: track 1' "$log")
[ "$parts" -eq 12 ] || fail "$parts segments were joined, 12 expected"
grep 'part[0-9]*\.mkv: track 1' "$log" | awk '
  { v = $0; sub(/.*track 1: [0-9]+ blocks, /, "", v); split(v, a, /\.\.| ms/); vend = a[2]
    if ($0 !~ /track 2: [1-9]/) { print "no sound in " $4; bad = 1; next }
    s = $0; sub(/.*track 2: [0-9]+ blocks, /, "", s); split(s, b, /\.\.| ms/); send = b[2]
    printf "%s picture to %d ms, sound to %d ms\n", $4, vend, send
    if (send < vend - 150) { print "the sound of " $4 " stops short"; bad = 1 } }
  END { exit bad }' || fail "a segment lacks sound"

levels 1000 >"$work/1000.txt"
levels 3000 >"$work/3000.txt"
levels 500 >"$work/500.txt"
pause_tone=$(sort -k2 -n "$work/3000.txt" | tail -1 | awk '{ print $2 }')
expect_played_onset 1000
onset=$(tone_onset 1000)
loud=$(tone_level 1000 "$(awk -v t="$onset" 'BEGIN { print t + 0.3 }')" "$(awk -v t="$onset" 'BEGIN { print t + 0.8 }')")
quiet=$(tone_level 1000 0.2 "$(awk -v t="$onset" 'BEGIN { print (t - 0.2 < 0.7) ? t - 0.2 : 0.7 }')")
echo "1 kHz: level $loud while it plays, $quiet before"
echo "3 kHz (played while paused): highest level $pause_tone"
[ "$loud" -gt 4000 ] || fail "the 1 kHz tone is too quiet ($loud)"
[ "$quiet" -lt 300 ] || fail "there is sound before the 1 kHz tone ($quiet)"
[ "$pause_tone" -lt 300 ] || fail "the tone played during the pause is in the file (level $pause_tone)"
# The hum in the middle of every segment from the second on (a segment whose
# core a loaded machine held up so long that it holds under 0.4 s is too
# short to measure; its sound was checked above).
bounds=$(grep 'part[0-9]*\.mkv: track 1' "$log" | sed 's/.*cut at \([0-9]*\) ms/\1/' |
  awk '{ printf "%.2f %.2f\n", t / 1000, (t + $1) / 1000; t += $1 }')
echo "$bounds" | tail -n +2 | while read -r from to; do
  awk -v a="$from" -v b="$to" 'BEGIN { exit !(b - a < 0.4) }' && { echo "segment from $from s: too short"; continue; }
  level=$(awk -v a="$from" -v b="$to" '$1 >= a + 0.15 && $1 < b - 0.15 { s += $2; n++ } END { printf "%.0f", n ? s / n : 0 }' \
    "$work/500.txt")
  echo "500 Hz from $from to $to s: $level"
  [ "$level" -gt 4000 ] || { echo "no hum in the segment from $from s"; exit 1; }
done || fail "a segment after a resume lacks the sound that played"
pass
