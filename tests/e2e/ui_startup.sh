#!/usr/bin/env bash
# End-to-end tests of the startup window's choices with the real Tavrix.exe
# under Xvfb and Wine and real X input: the area (a region, its cancels, the
# work area), the sound and the quality (each gives its encoder command
# line), Start without a microphone, with too little disk space, and with
# speaker sound that this machine cannot record.
#
#   ui_startup.sh <case>
set -uo pipefail
case_name=${1:?which case}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_lib.sh"

screen_size() {
    xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2]; exit }'
}

# The regions confirmed here cover the startup window: under Wine without a
# window manager the selector's windows, hidden from their last paint while
# the corner markers are already up, stay on the X screen and take the clicks
# outside the region's cut-out.

# A region dragged from bottom-right to top-left, widened by its right edge
# and moved by its inside, then confirmed: the corner markers show at once,
# and the next recording hands the region (even width and height) to the
# screen filter.
case_region() {
    prepare_folder
    reset_capture_settings
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix
    shoot startup
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    shoot selector-waiting
    drag 901 651 300 200
    shoot selector-chosen
    drag 901 425 1001 425
    drag 600 400 500 350
    shoot selector-moved
    local ok x y w h
    ok=$(probe child SelectWnd Select OK 5000) || fail "no OK button under the region"
    read -r x y w h <<<"$ok"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.1 click 1
    wait_selector_gone
    wait_window RecCornerWndClass
    sleep 0.5
    shoot corner-markers
    record_and_discard region
    local area
    area=$(capture_area)
    [ "$area" = "200 150 700 450" ] || fail "capture settings $area, expected 200 150 700 450"
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$SPEAKER$(microphone_piece 'In: default')$QUALITY_NORMAL$AUDIO_CODEC$MIX"
    # The region stays chosen: the markers are back with the startup window.
    window_shown RecCornerWndClass || fail "corner markers hidden after the recording of a region"
    close_program
}

# Cancelling the selection (Escape while waiting, Escape after a rectangle was
# started over with a right click, a right click while waiting) selects the
# whole screen again: after a confirmed region the next recording is the full
# screen, and the markers are hidden.
case_region_cancel() {
    prepare_folder
    reset_capture_settings
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix
    local ok x y w h
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    drag 300 150 1000 650
    ok=$(probe child SelectWnd Select OK 5000) || fail "no OK button"
    read -r x y w h <<<"$ok"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.1 click 1
    wait_selector_gone
    wait_window RecCornerWndClass

    # Escape while waiting for a rectangle.
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    focus_title Select
    xdotool key Escape
    wait_selector_gone
    probe gone RecCornerWndClass "*" 3000 || fail "corner markers still shown after Escape"
    shoot after-escape

    # A rectangle, a right click on it (starts over), then Escape.
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    drag 300 200 600 400
    xdotool mousemove 450 300 click 3
    sleep 0.3
    window_shown SelectWnd Select || fail "a right click on a chosen rectangle closed the selector"
    shoot restarted-by-right-click
    focus_title Select
    xdotool key Escape
    wait_selector_gone

    # A right click while waiting cancels.
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    xdotool mousemove 640 400 click 3
    wait_selector_gone
    shoot after-right-click

    record_and_discard
    local area screen
    area=$(capture_area)
    read -r sw sh <<<"$(screen_size)"
    [ "$area" = "0 0 $sw $sh" ] || fail "capture settings $area after cancelling, expected the full screen 0 0 $sw $sh"
    window_shown RecCornerWndClass && fail "corner markers shown for a full-screen recording"
    close_program
}

# "optionAreaFullWithoutTaskbar" records the work area, after a region was
# recorded: the region is neither kept nor its markers shown.
case_work_area() {
    prepare_folder
    reset_capture_settings
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml optionAreaCustom
    wait_window SelectWnd Select
    drag 301 101 1002 702
    local ok x y w h
    ok=$(probe child SelectWnd Select OK 5000) || fail "no OK button"
    read -r x y w h <<<"$ok"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.1 click 1
    wait_selector_gone
    wait_window RecCornerWndClass
    record_and_discard
    [ "$(capture_area)" = "301 101 700 600" ] || fail "region not recorded: $(capture_area)"

    click_control RecStartupFrameWndClass startup.xml optionAreaFullWithoutTaskbar
    probe gone RecCornerWndClass "*" 3000 || fail "corner markers still shown after choosing the work area"
    shoot work-area-chosen
    record_and_discard
    local l t r b
    read -r l t r b <<<"$(probe workarea)"
    local want="$l $t $(((r - l) - (r - l) % 2)) $(((b - t) - (b - t) % 2))"
    [ "$(capture_area)" = "$want" ] || fail "capture settings $(capture_area), expected the work area $want"
    close_program
}

# Each sound choice and each quality gives its encoder command line.
case_sound_quality() {
    prepare_folder
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix
    local mic
    mic=$(microphone_piece 'In: default')

    # As the window opens: mixed sound, and the skin's quality.
    click_control RecStartupFrameWndClass startup.xml optionVideoQualityNormal
    shoot mix-normal
    record_and_discard mix-normal
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$SPEAKER$mic$QUALITY_NORMAL$AUDIO_CODEC$MIX"

    click_control RecStartupFrameWndClass startup.xml optionAudioSpeaker
    click_control RecStartupFrameWndClass startup.xml optionVideoQualityGood
    record_and_discard
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$SPEAKER$QUALITY_GOOD$AUDIO_CODEC"

    click_control RecStartupFrameWndClass startup.xml optionAudioMicro
    click_control RecStartupFrameWndClass startup.xml optionVideoQualityNormal
    record_and_discard
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$mic$QUALITY_NORMAL$AUDIO_CODEC"

    click_control RecStartupFrameWndClass startup.xml checkRecordAudio
    click_control RecStartupFrameWndClass startup.xml optionVideoQualityGood
    shoot sound-off
    record_and_discard
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$QUALITY_GOOD"

    close_program
}

# Without a microphone, Start with mixed sound tells the user, selects the
# speaker and does not start; the next Start records the speaker alone.
case_no_microphone() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml startBtn
    local text
    text=$(probe message 提示 5000) || fail "no message box after Start without a microphone"
    [ "$text" = "没有麦克风" ] || fail "message box says '$text'"
    shoot no-microphone
    window_shown RecTSFrameWndClass && fail "the start went on without a microphone"
    press_message_ok 提示
    [ "$(logged_command_lines | wc -l)" = 0 ] || fail "an encoder was started"
    shoot speaker-selected
    record_and_discard
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$SPEAKER$QUALITY_NORMAL$AUDIO_CODEC"
    close_program
}

# Start refused on a small volume: the temporary folder on a 64 MB volume,
# a message, nothing recorded (skipped, exit 77, where no volume can be made).
case_low_disk() {
    small=$work_root/small-volume
    mkdir -p "$small"
    mount -t tmpfs -o size=64m tmpfs "$small" 2>/dev/null || { note "no small volume can be made here"; exit 77; }
    on_exit 'umount "$small" 2>/dev/null; rmdir "$small" 2>/dev/null'
    key='HKCU\Environment'
    # The temporary folder Wine gives programs comes from the registry.
    old_tmp=$("$wine" reg query "$key" /v TMP 2>/dev/null | tr -d '\r' | awk '$1 == "TMP" { $1 = ""; $2 = ""; sub(/^  */, ""); print }')
    old_type=$("$wine" reg query "$key" /v TMP 2>/dev/null | tr -d '\r' | awk '$1 == "TMP" { print $2 }')
    restore_tmp() {
        stop_program
        if [ -n "$old_tmp" ]; then
            "$wine" reg add "$key" /v TMP /t "$old_type" /d "$old_tmp" /f >/dev/null 2>&1
        else
            "$wine" reg delete "$key" /v TMP /f >/dev/null 2>&1
        fi
    }
    on_exit restore_tmp
    "$wine" reg add "$key" /v TMP /t REG_SZ /d "$(winpath "$small")" /f >/dev/null 2>&1
    prepare_folder
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix 20000
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window "#32770" 提示 10000
    shoot refused
    press_message_ok 提示
    grep -q "too little free disk space to start a recording" "$run/tavrix.log" || fail "the refusal is not logged"
    window_shown RecTSFrameWndClass && fail "the recording went on to the tip window"
    grep -q "^- .* DEBUG: ffmpeg -y" "$run/tavrix.log" && fail "an encoder was started"
    wait_window RecStartupFrameWndClass Tavrix
    close_program
    # A run that recorded nothing leaves no folder.
    ls -d "$small"/Rec* >/dev/null 2>&1 && fail "the run left $(ls -la "$small"/)"
    note "Start refused on a 64 MB volume"
}

# Start with speaker sound where it cannot be had (no speaker filter, and
# Wine refuses loopback): the teacher is told before anything starts, in the
# program's voice, and chooses. No stops at the startup window; yes goes on
# to the tip. Microphone only needs no speaker sound: no question.
case_speaker_unavailable() {
    unset TAVRIX_SPEAKER_ENDPOINT  # the real answer of this machine: no speaker sound
    # expect_speaker_question <text in it> <screenshot>
    expect_speaker_question() {
        local text
        text=$(probe message 提示 5000) || fail "no message box after Start without speaker sound"
        [[ "$text" == *"$1"* ]] || fail "the message box says '$text'"
        shoot "$2"
    }
    prepare_folder
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix

    # Mixed sound: the recording would have the microphone only; no stays.
    select_option RecStartupFrameWndClass startup.xml optionAudioMix
    click_control RecStartupFrameWndClass startup.xml startBtn
    expect_speaker_question "录像里只会有麦克风的声音" mixed-asked
    press_message_button 提示 "否(&N)"
    window_shown RecTSFrameWndClass && fail "the start went on after no"
    window_shown RecStartupFrameWndClass || fail "the startup window is gone after no"
    [ "$(logged_command_lines | wc -l)" = 0 ] || fail "an encoder was started"

    # Speaker only (the first click after the box may only bring the window
    # to the front): the recording would be silent; yes goes on to the tip.
    select_option RecStartupFrameWndClass startup.xml optionAudioSpeaker
    shoot speaker-chosen
    click_control RecStartupFrameWndClass startup.xml startBtn
    expect_speaker_question "这次录像将没有声音" speaker-asked
    press_message_button 提示 "是(&Y)"
    wait_window RecTSFrameWndClass
    shoot tip-after-yes

    stop_program
    prepare_folder
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix
    select_option RecStartupFrameWndClass startup.xml optionAudioMicro
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    if window_shown "#32770" 提示; then fail "a question for a recording that needs no speaker sound"; fi
}

"case_$case_name" || exit 1
note "passed"
