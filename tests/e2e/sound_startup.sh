#!/usr/bin/env bash
# Start with speaker sound where it cannot be had (no speaker filter, and the
# sound system here refuses loopback): the teacher is told before anything
# starts, in the program's voice, and chooses. No stops at the startup
# window; yes goes on to the tip. The real Tavrix.exe under Xvfb and wine64.
#
#   sound_startup.sh
set -uo pipefail
case_name=sound_startup
here=$(cd "$(dirname "$0")" && pwd)
source "$here/startup_lib.sh"
unset TAVRIX_SPEAKER_ENDPOINT  # the real answer of this machine: no speaker sound

# The message box's text, the button that answers it ("是(&Y)" yes, "否(&N)" no), a screenshot's name.
answer_speaker_message() {
    local text box x y w h
    text=$(probe message 提示 5000) || fail "no message box after Start without speaker sound"
    [[ "$text" == *"$1"* ]] || fail "the message box says '$text'"
    shoot "$3"
    box=$(probe child "#32770" 提示 "$2" 5000 | tr -d '\r') || fail "no button $2 on the message box"
    read -r x y w h <<<"$box"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.1 click 1
    probe gone "#32770" 提示 5000 || fail "the message box did not close"
}

# The pixels of a control with the mouse away from it (no hover look), as a sum.
control_look() {
    local wx wy l t r b
    read -r wx wy _ _ <<<"$(window_geometry "$1")"
    read -r l t r b <<<"$(control_rect "$2" "$3")"
    xdotool mousemove 0 0
    sleep 0.2
    import -window root -crop "$((r - l))x$((b - t))+$((wx + l))+$((wy + t))" rgb:- 2>/dev/null | md5sum
}

# select_option <class> <skin> <option>: real clicks on an option that is not
# chosen until its look changes to chosen (a click that only activates the
# window changes nothing).
select_option() {
    local before
    before=$(control_look "$@")
    for _ in $(seq 10); do
        click_control "$@"
        for _ in $(seq 10); do
            [ "$(control_look "$@")" != "$before" ] && return 0
        done
    done
    fail "option $3 did not show chosen after ten clicks"
}

prepare_folder
start_program_retrying HOME="$(microphone_home)"
wait_window RecStartupFrameWndClass Tavrix

# Mixed sound: the recording would have the microphone only.
click_control RecStartupFrameWndClass startup.xml optionAudioMix
click_control RecStartupFrameWndClass startup.xml startBtn
answer_speaker_message "录像里只会有麦克风的声音" "否(&N)" mixed-asked
sleep 0.5
window_shown RecTSFrameWndClass && fail "the start went on after no"
window_shown RecStartupFrameWndClass || fail "the startup window is gone after no"
[ "$(logged_command_lines | wc -l)" = 0 ] || fail "an encoder was started"

# Speaker only: the recording would be silent; yes goes on to the tip.
# The first click after the message box may only bring the window back to the
# front: click until the option shows it is chosen.
select_option RecStartupFrameWndClass startup.xml optionAudioSpeaker
shoot speaker-chosen
click_control RecStartupFrameWndClass startup.xml startBtn
answer_speaker_message "这次录像将没有声音" "是(&Y)" speaker-asked
wait_window RecTSFrameWndClass
shoot tip-after-yes

# Microphone only needs no speaker sound: no question.
stop_program
prepare_folder
start_program_retrying HOME="$(microphone_home)"
wait_window RecStartupFrameWndClass Tavrix
click_control RecStartupFrameWndClass startup.xml optionAudioMicro
click_control RecStartupFrameWndClass startup.xml startBtn
wait_window RecTSFrameWndClass
note "passed"
