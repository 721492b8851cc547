#!/usr/bin/env bash
# The classroom's interruptions keep the lesson, end to end with the real
# Tavrix.exe and the real encoder under Xvfb and wine64 and real X input:
#   join_killed   the encoder ended during the finish (the PC switched off
#                 right after 完成): offered at the next start, saved whole;
#   later         the kept lesson's question put off with Escape: offered
#                 again at the next start, where 删除 asks once more;
#   session_end   the Windows session ends while recording (wineboot
#                 --end-session): offered at the next start, as long as
#                 recorded less 2 s, from the work folder school IT set;
#   screen_lost   the screen grabber cannot read the screen (a stand-in runs
#                 the real core and ends its grab as a refused copy does):
#                 paused with a message, resumed, saved whole;
#   lock          the lock screen (WM_WTSSESSION_CHANGE as Windows sends it):
#                 paused with a message, resumed;
#   stray         an ffmpeg.exe of another folder survives Tavrix's start; a
#                 left-over one of Tavrix's own folder is ended.
#
#   recording_classroom.sh <case>     (exit 77: skipped)
set -uo pipefail
case_name=${1:?which case}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_lib.sh"

encoder_files=("$bin/ffmpeg.exe" "$bin/ffmpeg-core.exe")
[ -f "$bin/ffmpeg-core.exe" ] || fail "ffmpeg-core.exe is missing beside the encoder"
user_temp() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Temp"; }
work_key='HKLM\Software\Tavrix'

# The question that offers a kept lesson; its text goes to the log of the test.
await_question() {
    wait_window "#32770" 提示 30000
    local text
    text=$(probe message 提示 5000)
    note "asked: $text"
    case "$text" in *发现一段没有保存的录像*) ;; *) fail "not the question for a kept lesson: $text" ;; esac
}

# The lesson's recorded seconds as the question states them ("时长 mm:ss").
question_seconds() {
    local text mmss
    text=$(probe message 提示 5000)
    mmss=$(grep -o '时长 [0-9]*:[0-9]*' <<<"$text" | cut -d' ' -f2)
    [ -n "$mmss" ] || fail "no duration in the question: $text"
    echo $((10#${mmss%%:*} * 60 + 10#${mmss##*:}))
}

# No sound: nothing here can record it, and a lesson is its picture.
start_recording() {
    click_control RecStartupFrameWndClass startup.xml checkRecordAudio
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window RecStatusFrameWndClass "*" 30000
}

stop_recording() {
    click_control RecStatusFrameWndClass status.xml btnStop
    wait_window RecProcessWndClass "*" 15000
}

# save_as <name>: the Save dialog answered with <run>/<name>.avi.
save_as() { save_in_dialog "$run" "$1"; }

# expect_whole <file> <seconds at least>: decodes without an error and lasts that long.
expect_whole() {
    local duration
    duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1")
    ffmpeg -v error -i "$1" -f null - 2>"$run/decode.txt" || fail "$(basename "$1") does not decode"
    [ -s "$run/decode.txt" ] && fail "decoding errors: $(head -3 "$run/decode.txt")"
    awk -v d="$duration" -v r="$2" 'BEGIN { exit !(d >= r) }' || fail "$(basename "$1") lasts $duration s, at least $2 s expected"
    note "$(basename "$1"): $duration s"
}

case_join_killed() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    local started=$SECONDS
    sleep 6
    # Counted before the click: on a loaded machine the stop itself may take seconds.
    local recorded=$((SECONDS - started))
    stop_recording
    click_control RecProcessWndClass process.xml doneBtn
    # The join has begun: the encoder and Tavrix are ended as a switched-off PC ends them.
    local log
    for _ in $(seq 200); do
        log=$(ls "$(user_temp)"/Rec*/temp.avi.encoder.log 2>/dev/null | head -1)
        [ -n "$log" ] && grep -q "DEBUG: join: " "$log" && break
        sleep 0.05
    done
    grep -q "DEBUG: join: " "$log" || fail "the join did not start"
    "$wine" taskkill /f /im ffmpeg.exe >/dev/null 2>&1
    kill -9 "$tavrix_pid" 2>/dev/null
    wait "$tavrix_pid" 2>/dev/null
    tavrix_pid=""
    local folder
    folder=$(dirname "$log")
    note "the finish was cut off; left: $(ls "$folder" | tr '\n' ' ')"

    start_program_retrying
    await_question
    shoot question
    press_message_button 提示 现在保存
    save_as joined
    expect_whole "$run/joined.avi" $((recorded - 2))
    sleep 1
    [ -d "$folder" ] && fail "the lesson's folder stays after the save: $(ls "$folder")"
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

case_later() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    sleep 3
    kill -9 "$tavrix_pid" 2>/dev/null
    wait "$tavrix_pid" 2>/dev/null
    tavrix_pid=""
    local folder
    folder=$(ls -d "$(user_temp)"/Rec* | head -1)

    # Escape: not now. The lesson stays and the program goes on to its window.
    start_program_retrying
    await_question
    local id
    id=$(xdotool search --onlyvisible --name '^提示$' | head -1)
    xdotool windowfocus --sync "$id" 2>/dev/null
    sleep 0.3
    xdotool key Escape
    probe gone "#32770" 提示 5000 || { xdotool key --window "$id" Escape; probe gone "#32770" 提示 5000; } ||
        fail "Escape did not put the question off"
    wait_window RecStartupFrameWndClass Tavrix 20000
    [ -n "$(ls "$folder"/temp.avi.part*.mkv 2>/dev/null)" ] || fail "the lesson was not kept: $(ls "$folder")"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
    [ -n "$(ls "$folder"/temp.avi.part*.mkv 2>/dev/null)" ] || fail "the lesson went when the program closed"

    # The next start asks again; 删除 asks once more, and 否 there keeps it.
    start_program_retrying
    await_question
    press_message_button 提示 删除
    wait_window "#32770" 提示 10000
    local text
    text=$(probe message 提示 5000)
    note "then: $text"
    case "$text" in *删除*) ;; *) fail "删除 did not ask once more: $text" ;; esac
    shoot delete-asked
    press_message_button 提示 "否(&N)"
    wait_window RecStartupFrameWndClass Tavrix 20000
    [ -d "$folder" ] || fail "the lesson went although 否 kept it"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0

    # And 删除, 是 deletes it.
    start_program_retrying
    await_question
    press_message_button 提示 删除
    wait_window "#32770" 提示 10000
    press_message_button 提示 "是(&Y)"
    wait_window RecStartupFrameWndClass Tavrix 20000
    [ -d "$folder" ] && fail "删除 and 是 left $(ls "$folder")"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

case_session_end() {
    # School IT set a work folder: the lesson is kept there, not in %TEMP%.
    local work_win='C:\TavrixWork' work
    work=$WINEPREFIX/drive_c/TavrixWork
    rm -rf "$work"
    "$wine" reg add "$work_key" /v WorkFolder /t REG_SZ /d "$work_win" /f /reg:32 >/dev/null 2>&1
    restore() {
        stop_program
        "$wine" reg delete "$work_key" /f /reg:32 >/dev/null 2>&1
        rm -rf "$work"
    }
    on_exit restore
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    local started=$SECONDS
    sleep 8
    local recorded=$((SECONDS - started))
    # The bell: the session ends as Windows ends it, every program told.
    "$wine" wineboot --end-session >/dev/null 2>&1
    await_exit
    [ "$exit_code" = running ] && fail "Tavrix outlived the session's end"
    local folder
    folder=$(ls -d "$work"/*/Rec* 2>/dev/null | head -1)
    [ -n "$folder" ] || fail "no recording folder in the work folder: $(ls -R "$work" 2>/dev/null | head)"
    note "kept in the work folder: $(ls "$folder" | tr '\n' ' ')"
    grep -q "session" "$run/tavrix.log" || fail "the session's end is not in the log"
    # Wine's own services may have gone with the session: back for the next start.
    "$wine" wineboot >/dev/null 2>&1

    start_program_retrying
    await_question
    local seconds
    seconds=$(question_seconds)
    note "recorded about $recorded s, offered $seconds s"
    [ "$seconds" -ge $((recorded - 2)) ] || fail "offered $seconds s of about $recorded s recorded"
    press_message_button 提示 现在保存
    save_as bell
    expect_whole "$run/bell.avi" $((recorded - 2))
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

case_screen_lost() {
    prepare_folder
    # The core's stand-in runs the real core beside it.
    mv "$run/ffmpeg-core.exe" "$run/ffmpeg-core-real.exe"
    cp "$tests_bin/tavrix_screen_lost_core.exe" "$run/ffmpeg-core.exe"
    start_program_retrying TAVRIX_TEST_SCREEN_LOST_AFTER_MS=4000
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    local started=$SECONDS
    wait_window "#32770" 提示 30000
    note "told after $((SECONDS - started)) s"
    local text
    text=$(probe message 提示 5000)
    note "told: $text"
    shoot screen-lost
    case "$text" in *屏幕*暂停*) ;; *) fail "the message does not say the screen was lost: $text" ;; esac
    case "$text" in *意外停止*) fail "a lost screen is told as a lost encoder: $text" ;; esac
    press_message_ok 提示
    wait_window RecProcessWndClass "*" 10000
    click_control RecProcessWndClass process.xml resumeBtn
    wait_window RecStatusFrameWndClass "*" 30000
    local resumed=$SECONDS
    sleep 4
    # The picture until the loss is the stand-in's 4 s, not the time the
    # message took to show; the rest counted before the stop's click, which
    # may itself take seconds on a loaded machine.
    local recorded=$((4 + SECONDS - resumed))
    stop_recording
    click_control RecProcessWndClass process.xml doneBtn
    save_as resumed
    expect_whole "$run/resumed.avi" $((recorded - 3))
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

case_lock() {
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    sleep 3
    probe tell RecStartupFrameWndClass lock >/dev/null || fail "the startup window was not told of the lock"
    wait_window "#32770" 提示 10000
    local text
    text=$(probe message 提示 5000)
    note "told: $text"
    case "$text" in *锁定*暂停*) ;; *) fail "the message does not say the PC was locked: $text" ;; esac
    shoot locked
    probe tell RecStartupFrameWndClass unlock >/dev/null
    press_message_ok 提示
    wait_window RecProcessWndClass "*" 10000
    click_control RecProcessWndClass process.xml resumeBtn
    wait_window RecStatusFrameWndClass "*" 30000
    sleep 2
    stop_recording
    click_control RecProcessWndClass process.xml doneBtn
    save_as after_lock
    expect_whole "$run/after_lock.avi" 3
    wait_window RecStartupFrameWndClass Tavrix
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

case_stray() {
    prepare_folder
    # Another program's encoder, and one a crashed Tavrix left in its own folder.
    local other=$work_root/other-program
    rm -rf "$other"
    mkdir -p "$other"
    cp "$tests_bin/e2e_window.exe" "$other/ffmpeg.exe"
    cp "$tests_bin/e2e_window.exe" "$run/ffmpeg.exe"
    "$wine" "$other/ffmpeg.exe" sleep 120000 &
    local foreign=$!
    (cd "$run" && exec "$wine" "$run/ffmpeg.exe" sleep 120000) &
    local own=$!
    for _ in $(seq 100); do
        [ "$("$wine" tasklist 2>/dev/null | grep -ci '^ffmpeg.exe')" -ge 2 ] && break
        sleep 0.1
    done
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    for _ in $(seq 50); do kill -0 "$own" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$own" 2>/dev/null && { kill "$own"; fail "the encoder left in Tavrix's folder was not ended"; }
    kill -0 "$foreign" 2>/dev/null || fail "another program's ffmpeg.exe was ended"
    click_control RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
    kill -0 "$foreign" 2>/dev/null || fail "another program's ffmpeg.exe was ended when Tavrix closed"
    kill "$foreign" 2>/dev/null
    wait "$foreign" 2>/dev/null
    note "the other program's encoder survived Tavrix's start and close"
}

# The prefix is shared: a lesson an earlier test kept would be offered first.
rm -rf "$(user_temp)"/Rec*
"case_$case_name" || exit 1
