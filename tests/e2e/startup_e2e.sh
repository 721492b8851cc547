#!/usr/bin/env bash
# End-to-end tests of the program's start, its single instance, its end, and
# the choices of its startup window, with the real Tavrix.exe under Xvfb and
# wine64 and real X input.
#
#   startup_e2e.sh <case>
set -uo pipefail
case_name=${1:?which case}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/startup_lib.sh"

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
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
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
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
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
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
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

    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
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
    probe gone "#32770" 提示 5000 || fail "message box did not close"
    [ "$(logged_command_lines | wc -l)" = 0 ] || fail "an encoder was started"
    shoot speaker-selected
    record_and_discard
    expect_command_line "$(logged_command_lines | tail -1)" "$VIDEO$SPEAKER$QUALITY_NORMAL$AUDIO_CODEC"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

# A process named ffmpeg.exe left running is ended before the window shows.
case_stray_encoder() {
    prepare_folder
    mkdir -p "$run/stray"
    cp "$tests_bin/e2e_window.exe" "$run/stray/ffmpeg.exe"
    (cd "$run/stray" && exec "$wine" ffmpeg.exe sleep 600000) &
    local stray=$!
    sleep 1
    kill -0 "$stray" 2>/dev/null || fail "the stray encoder did not start"
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    if kill -0 "$stray" 2>/dev/null; then
        kill "$stray"
        fail "the stray ffmpeg.exe still runs while the startup window shows"
    fi
    wait "$stray" 2>/dev/null
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

# A second start ends at once with 0 and leaves the first one as it was.
case_second_instance() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix
    local code
    (cd "$run" && timeout 20 "$wine" Tavrix.exe)
    code=$?
    [ "$code" = 0 ] || fail "the second instance ended with $code"
    kill -0 "$tavrix_pid" 2>/dev/null || fail "the first instance ended"
    window_shown RecStartupFrameWndClass Tavrix || fail "the first instance's window went"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

# Closing the startup window (its close button, or Alt+F4) ends every
# process named ffmpeg.exe and the program with exit code 0.
case_close() {
    local how
    for how in button alt-f4; do
        prepare_folder
        start_program_retrying
        wait_window RecStartupFrameWndClass Tavrix
        mkdir -p "$run/stray"
        cp "$tests_bin/e2e_window.exe" "$run/stray/ffmpeg.exe"
        (cd "$run/stray" && exec "$wine" ffmpeg.exe sleep 600000) &
        local stray=$!
        sleep 1
        kill -0 "$stray" 2>/dev/null || fail "the encoder stand-in did not start"
        if [ "$how" = button ]; then
            click_control RecStartupFrameWndClass startup.xml closeBtn
        else
            focus_title Tavrix
            xdotool key alt+F4
        fi
        note "closing by $how"
        expect_exit 0
        for _ in $(seq 50); do kill -0 "$stray" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$stray" 2>/dev/null; then
            kill "$stray"
            fail "closing by $how left ffmpeg.exe running"
        fi
    done
}

# The registration tool cannot be started: "初始化失败" in a box without
# caption, no window, exit code -1.
case_registration_fails() {
    prepare_folder
    local system32=$WINEPREFIX/drive_c/windows/system32
    [ -f "$system32/regsvr32.exe" ] || fail "no regsvr32.exe in the test prefix"
    mv "$system32/regsvr32.exe" "$system32/regsvr32.exe.e2e-away"
    restore_tool() { [ -f "$system32/regsvr32.exe.e2e-away" ] && mv "$system32/regsvr32.exe.e2e-away" "$system32/regsvr32.exe"; stop_program; }
    trap restore_tool EXIT
    start_program
    local text
    text=$(probe message "" 15000) || fail "no message box"
    [ "$text" = "初始化失败" ] || fail "message box says '$text'"
    shoot init-failed
    probe exists RecStartupFrameWndClass "*" && fail "the startup window was made"
    press_message_ok ""
    expect_exit 255
    grep -q "register video capture failed" "$run/tavrix.log" || fail "the failure is not in the log"
    restore_tool
    trap stop_program EXIT
}

"case_$case_name" || exit 1
note "passed"
