#!/usr/bin/env bash
# The sound a teacher can see, with the real Tavrix.exe, the real encoder and
# the private sound server, driven by real X input. The microphone is a null
# sink of the test's own, "Classroom": the first audio input Tavrix finds
# (DirectShow lists them by name, and its monitor's name sorts before the
# speakers'), which the encoder then records. A live microphone delivers
# sound all the time, silence too: the room plays digital silence into it.
#
#   silent   microphone only, nothing to hear: the warning under the status
#            bar and its WARNING line in tavrix.log within 12 s of the start;
#            the recording goes on and is saved
#   tone     a tone in the room throughout: the microphone's meter moves, no
#            warning, and the saved lesson holds the tone; then the startup
#            window names the saved lesson, and a lesson deleted meanwhile
#            gets a plain message when played
#   removed  the room's device removed from the sound server mid-recording
#            and added again 5 s later: warned within 2 s, and the saved
#            lesson has the tone before and after the gap, silence in it,
#            the tone after it where it was played
#
#   recording_sound_warnings.sh <case>
set -uo pipefail
which=${1:?which case}
case_name=sound_$which
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/program_lib.sh"
for f in ffmpeg.exe ffmpeg-core.exe; do
  [ -f "$bin/$f" ] || fail "$bin/$f is missing (scripts/build-core builds it)"
done
encoder_files=("$bin/ffmpeg.exe" "$bin"/ffmpeg-core*.exe)
sound_use || fail "no private sound server"
# The microphone only: the speakers' stand-in is not recorded.
declare -A hidden_at_start=([startup.xml]=btnSoundXP,txtAudioXP [status.xml]=speakersRow)
# A recording an earlier failed run left behind would be offered at the start.
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/RecClass* "$WINEPREFIX"/drive_c/users/*/Temp/Rec*.tmp
work=$work_root/$case_name-sound
rm -rf "$work"
mkdir -p "$work"

# within <seconds> <limit>: the seconds are a number no greater than the limit.
within() { [[ "$1" =~ ^[0-9]+(\.[0-9]+)?$ ]] && awk -v t="$1" -v l="$2" 'BEGIN { exit !(t <= l) }'; }

# ---- the room: a microphone that can be removed and added again

room=""
quiet_pid=""
tone_pid=""
add_room() {
    room=$(pactl load-module module-null-sink sink_name=room sink_properties=device.description=Classroom) ||
        fail "cannot add the room's sink"
    pactl set-default-source room.monitor
    pacat --playback --device=room --raw --format=s16le --rate=44100 --channels=2 </dev/zero &
    quiet_pid=$!
    for _ in $(seq 100); do
        pactl list short sinks | awk '$2 == "room" { print $NF }' | grep -q RUNNING && return 0
        sleep 0.05
    done
    fail "the room's sink does not run"
}
remove_room() {
    [ -n "$tone_pid" ] && kill "$tone_pid" 2>/dev/null
    [ -n "$quiet_pid" ] && kill "$quiet_pid" 2>/dev/null
    wait "$tone_pid" "$quiet_pid" 2>/dev/null
    tone_pid=""
    quiet_pid=""
    [ -n "$room" ] && pactl unload-module "$room"
    room=""
}
play_tone() {
    paplay --device=room "$work/${1:-tone}.wav" &
    tone_pid=$!
}
cleanup() {
    remove_room
    pactl set-default-source "$tavrix_speaker_sink.monitor" 2>/dev/null
    stop_program
}
on_exit cleanup
ffmpeg -v error -y -f lavfi -i "sine=frequency=1000:duration=60:sample_rate=44100" -af volume=0.5 -ac 2 \
    "$work/tone.wav" || fail "cannot make the tone"
# ---- what the teacher sees

# The bar's height in pixels: it grows by the warning's row while there is one.
bar_height() { window_geometry RecStatusFrameWndClass "*" 2000 | awk '{ print $4 }'; }
# Waits up to $1 seconds for the bar to show its warning; prints how long it took.
await_warning() {
    local start
    start=$(now)
    for _ in $(seq $(($1 * 10))); do
        [ "$(bar_height)" -gt 60 ] && { since "$start"; return 0; }
        sleep 0.1
    done
    return 1
}
# The colour of the microphone's meter just inside its left end.
meter_colour() {
    local x y l t b
    read -r x y _ _ <<<"$(window_geometry RecStatusFrameWndClass)"
    read -r l t _ b <<<"$(control_rect status.xml meterMicrophone)"
    screen_pixel $((x + l + 2)) $((y + (t + b) / 2))
}
screen_pixel() {
    convert x:root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}
warnings() { grep -a "WARNING: microphone" "$run/tavrix.log" 2>/dev/null; }
# A control of the saved lesson's line, laid out as the startup window shows it then (grown by the line).
saved_control_rect() {
    (cd "$run" && "$wine" "$tests_bin/skin_layout.exe" --skin-dir skin startup.xml --hide btnSoundXP,txtAudioXP \
        --show savedPanel --grow 64) | tr -d '\r' | awk -v n="$1" '$1 == "control" && $2 == n { print $4, $5, $6, $7 }'
}
click_saved_control() {
    local x y l t r b
    read -r x y _ _ <<<"$(window_geometry RecStartupFrameWndClass Tavrix)"
    read -r l t r b <<<"$(saved_control_rect "$1")"
    [ -n "$b" ] || fail "no $1 in the saved lesson's line"
    xdotool mousemove $((x + (l + r) / 2)) $((y + (t + b) / 2)) sleep 0.1 click 1
}
# Closes the program (the first click after a message box may only bring its window to the front).
close_program() {
    for _ in 1 2 3; do
        click_control RecStartupFrameWndClass startup.xml closeBtn
        for _ in $(seq 30); do window_shown RecStartupFrameWndClass Tavrix || break; sleep 0.1; done
        window_shown RecStartupFrameWndClass Tavrix || break
    done
    expect_exit 0
}

# ---- the recording

# Start with the microphone only, through the tip and the countdown; sets
# $lesson_start to when the bar showed (the lesson's first picture).
start_recording() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 30000
    click_control RecStartupFrameWndClass startup.xml optionAudioMicro
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window ReadyFrameWndClass
    wait_window RecStatusFrameWndClass "*" 15000
    lesson_start=$(now)
    expect_command_line "$(logged_command_lines | tail -1)" \
        "$VIDEO$(microphone_piece 'Monitor of Classroom')$QUALITY_NORMAL$AUDIO_CODEC"
}

# Stop, Done, and the Save dialog: the lesson saved as $work/lesson.avi.
save_recording() {
    click_control RecStatusFrameWndClass status.xml btnStop
    wait_window RecProcessWndClass
    click_control RecProcessWndClass process.xml doneBtn
    save_in_dialog "$work" lesson
    local errors
    errors=$(ffmpeg -v error -i "$work/lesson.avi" -f null - 2>&1)
    [ -z "$errors" ] || fail "the lesson does not decode cleanly: $errors"
}

# The 1 kHz band's level in the saved lesson, one line per 50 ms: "time rms".
levels() {
    ffmpeg -v error -i "$work/lesson.avi" -vn -af "bandpass=f=1000:width_type=h:w=150,bandpass=f=1000:width_type=h:w=150" \
        -ac 1 -ar 8000 -f s16le - | od -An -td2 -v -w2 |
        awk '{ s += $1 * $1; n++; if (n == 400) { printf "%.2f %.0f\n", w * 0.05, sqrt(s / n); w++; s = 0; n = 0 } }'
}
# The mean level between two times of the lesson.
mean_level() { awk -v a="$1" -v b="$2" '$1 >= a && $1 < b { s += $2; n++ } END { printf "%.0f", n ? s / n : -1 }' "$work/levels.txt"; }

case_silent() {
    add_room
    start_recording
    local took
    took=$(await_warning 14) || fail "no warning within 14 s of the start of a silent recording"
    local after
    after=$(since "$lesson_start")
    note "the warning showed ${after} s after the start"
    within "$after" 12 || fail "the warning came $after s after the start, not within 12 s"
    warnings | grep -q "WARNING: microphone: silent" || fail "no WARNING line for the silent microphone"
    shoot warning
    # The recording goes on: the time still counts, and the lesson is saved.
    sleep 2
    save_recording
    [ "$(warnings | wc -l)" -ge 1 ] || fail "the warning was not logged"
    ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/lesson.avi" | grep -q audio ||
        fail "the saved lesson has no sound track"
    close_program
}

case_tone() {
    add_room
    play_tone
    start_recording
    sleep 3
    local colour
    colour=$(meter_colour)
    [ "$colour" = "#22C55E" ] || fail "the microphone's meter shows $colour, not the level's green"
    shoot meter
    await_warning 13 && fail "a warning with a tone playing throughout: $(warnings)"
    [ -z "$(warnings)" ] || fail "logged: $(warnings)"
    save_recording
    levels >"$work/levels.txt"
    local loud
    loud=$(mean_level 1 10)
    note "the tone's level in the lesson: $loud"
    [ "$loud" -gt 500 ] || fail "the tone is not in the saved lesson (level $loud)"

    # Back at the startup window: the saved lesson is named there.
    local height
    read -r _ _ _ height <<<"$(window_geometry RecStartupFrameWndClass Tavrix)"
    [ "$height" -gt 450 ] || fail "the startup window shows no saved lesson (height $height)"
    shoot saved-lesson
    grep -a "the saved lesson" "$run/tavrix.log" && fail "an action ran without a click"
    # Deleted meanwhile: playing it gives a plain message.
    rm -f "$work/lesson.avi"
    click_saved_control btnPlayFile
    local text
    text=$(probe message 提示 5000) || fail "no message for a deleted lesson"
    [[ "$text" == *"找不到这个录像了"* ]] || fail "the message says '$text'"
    shoot lesson-gone
    press_message_ok 提示
    close_program
}

case_removed() {
    add_room
    start_recording
    sleep 1
    local end1 end2 removed returned took
    # A tone ended at a known moment before the gap and another after it: a
    # player may take a while to start, but its sound ends when it is ended.
    play_tone
    sleep 3
    kill "$tone_pid"; wait "$tone_pid" 2>/dev/null; tone_pid=""
    end1=$(since "$lesson_start")
    sleep 1
    remove_room
    removed=$(since "$lesson_start")
    took=$(await_warning 5) || fail "no warning within 5 s of the microphone's removal"
    note "warned $took s after the microphone was removed"
    within "$took" 2 || fail "the warning came $took s after the removal, not within 2 s"
    shoot warning
    warnings | grep -q "WARNING: microphone: lost" || fail "no WARNING line for the lost microphone"
    sleep 5
    add_room
    returned=$(since "$lesson_start")
    play_tone
    sleep 5
    kill "$tone_pid"; wait "$tone_pid" 2>/dev/null; tone_pid=""
    end2=$(since "$lesson_start")
    sleep 1.5
    save_recording
    grep -a "microphone: back" "$run/tavrix.log" >/dev/null || fail "the microphone was never back"
    levels >"$work/levels.txt"
    local last1 last2 before gap after
    last1=$(awk -v t="$removed" '$1 < t && $2 > 500 { e = $1 } END { print e }' "$work/levels.txt")
    last2=$(awk -v t="$returned" '$1 > t && $2 > 500 { e = $1 } END { print e }' "$work/levels.txt")
    [ -n "$last1" ] || fail "no tone before the gap"
    [ -n "$last2" ] || fail "no tone after the gap"
    before=$(mean_level "$(awk -v t="$last1" 'BEGIN { print t - 1.5 }')" "$last1")
    gap=$(mean_level "$(awk -v t="$removed" 'BEGIN { print t + 0.5 }')" "$returned")
    after=$(mean_level "$(awk -v t="$last2" 'BEGIN { print t - 1.5 }')" "$last2")
    note "tone ended at $end1 s, the room removed at $removed s and back at $returned s, the tone ended again at" \
         "$end2 s; in the lesson the tones end at $last1 and $last2 s; levels before $before, gap $gap, after $after"
    [ "$before" -gt 500 ] || fail "no tone before the gap (level $before)"
    [ "$gap" -lt 100 ] || fail "sound in the gap (level $gap)"
    [ "$after" -gt 500 ] || fail "no tone after the gap (level $after)"
    # In step: the tones end as far apart in the lesson as they were ended.
    awk -v a="$last1" -v b="$last2" -v p="$end1" -v q="$end2" 'BEGIN { d = (b - a) - (q - p); exit !(d > -0.5 && d < 0.5) }' ||
        fail "the tones end $last1 and $last2 s into the lesson, ended $end1 and $end2 s after its start"
    close_program
}

"case_$which"
note "passed"
