#!/usr/bin/env bash
# End-to-end tests of the program's start and end with the real Tavrix.exe
# under Xvfb and Wine and real X input: a leftover encoder ended before the
# window shows, a second start, closing by the button and by Alt+F4, and a
# registration tool that cannot be started.
#
#   app_lifecycle.sh <case>
set -uo pipefail
case_name=${1:?which case}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_lib.sh"

# start_stray_encoder: the program's own ffmpeg.exe left running, as a
# previous run's encoder is left (a program that waits stands in for it;
# these cases record nothing); $stray is its process. One of another folder
# must survive: e2e.recording.classroom_stray.
start_stray_encoder() {
    cp "$tests_bin/e2e_window.exe" "$run/ffmpeg.exe"
    (cd "$run" && exec "$wine" "$run/ffmpeg.exe" sleep 600000) &
    stray=$!
    sleep 1
    kill -0 "$stray" 2>/dev/null || fail "the stray encoder did not start"
}

# The program's own encoder left running is ended before the window shows.
case_stray_encoder() {
    prepare_folder
    start_stray_encoder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    if kill -0 "$stray" 2>/dev/null; then
        kill "$stray"
        fail "the stray ffmpeg.exe still runs while the startup window shows"
    fi
    wait "$stray" 2>/dev/null
    close_program
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
    close_program
}

# Closing the startup window (its close button, or Alt+F4) ends the
# program's own encoder left running and the program with exit code 0.
case_close() {
    local how
    for how in button alt-f4; do
        prepare_folder
        start_program_retrying
        wait_window RecStartupFrameWndClass Tavrix
        start_stray_encoder
        if [ "$how" = button ]; then
            click_until '! window_shown RecStartupFrameWndClass Tavrix' RecStartupFrameWndClass startup.xml closeBtn
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
# caption, no window, exit code -1. The tool is the one in the folder the
# program sees as its system folder: SysWOW64 for a 32-bit program on 64-bit
# Windows.
case_registration_fails() {
    prepare_folder
    local windows=$WINEPREFIX/drive_c/windows
    tool_folder=$windows/system32
    [ -d "$windows/syswow64" ] && [ "$(wine_loader "$bin/Tavrix.exe")" = "$wine" ] && tool_folder=$windows/syswow64
    [ -f "$tool_folder/regsvr32.exe" ] || fail "no regsvr32.exe in $tool_folder"
    mv "$tool_folder/regsvr32.exe" "$tool_folder/regsvr32.exe.e2e-away"
    on_exit 'mv "$tool_folder/regsvr32.exe.e2e-away" "$tool_folder/regsvr32.exe"'
    start_program
    local text
    text=$(probe message "" 15000) || fail "no message box"
    [ "$text" = "初始化失败" ] || fail "message box says '$text'"
    shoot init-failed
    probe exists RecStartupFrameWndClass "*" && fail "the startup window was made"
    press_message_ok ""
    expect_exit 255
    grep -q "register video capture failed" "$run/tavrix.log" || fail "the failure is not in the log"
}

"case_$case_name" || exit 1
note "passed"
