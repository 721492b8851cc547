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
#   encoder_sound_microphone.sh
set -uo pipefail
source "$(dirname "$0")/encoder_lib.sh"
sound_room
tone 1000 1 && tone 3000 1 && tone 500 1 || fail "cannot make the tones"

set_capture_area 0 0 160 120

adapter_start out.avi -f dshow -i 'audio=In: default' "${quality_normal[@]}" "${audio_codec[@]}"
expect_core
paplay --device=speakers "$work/500.wav" &
sleep 1
play_tone room 1000
sleep 1
adapter_send p
wait_for_log "segment 1 ended"
sleep 0.3; paplay --device=room "$work/3000.wav"; sleep 0.7
adapter_send r
wait_for_log "INFO: segment 2: "
sleep 1.5
adapter_finish
[ "$adapter_rc" -eq 0 ] || fail "the adapter exited with $adapter_rc"
[ -s "$work/out.avi" ] || fail "no output file"
grep -q 'microphone: captured by the adapter' "$log" || fail "the microphone was not captured by the adapter"
grep -q 'amix' "$log" && fail "one sound source was mixed"
[ "$(grep -c 'part[0-9]*\.mkv: track 1.*track 2: [1-9]' "$log")" -eq 2 ] || fail "a segment lacks sound"

levels 1000 >"$work/1000.txt"
expect_played_onset 1000
onset=$(tone_onset 1000)
loud=$(tone_level 1000 "$(awk -v t="$onset" 'BEGIN { print t + 0.3 }')" "$(awk -v t="$onset" 'BEGIN { print t + 0.8 }')")
pause_tone=$(levels 3000 | sort -k2 -n | tail -1 | awk '{ print $2 }')
# The speakers' tone plays in the first second, before the room's: measured
# there, where the loud room tone cannot leak into its band.
speakers=$(levels 500 | awk -v t="$onset" '$1 >= 0.1 && $1 < 0.9 && $1 < t - 0.1' | sort -k2 -n | tail -1 | awk '{ print $2 }')
echo "1 kHz: level $loud while it plays"
echo "3 kHz (played while paused): highest level $pause_tone; 500 Hz (on the speakers): highest level ${speakers:-0}"
[ "$loud" -gt 4000 ] || fail "the 1 kHz tone is too quiet ($loud)"
[ "$pause_tone" -lt 300 ] || fail "the tone played during the pause is in the file (level $pause_tone)"
[ "${speakers:-0}" -lt 300 ] || fail "the speakers' sound is in a microphone-only recording (level $speakers)"
pass
