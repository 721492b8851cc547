#!/usr/bin/env bash
# A lesson never lost, end to end with the real Tavrix.exe under Xvfb and
# Wine and real X input: the program killed mid-recording and started again:
# the leftover is offered with its duration, joined by the encoder's
# recovery mode when it is segments, and saved through the Save dialog (the
# real encoder when it is built, else the test encoder with segments left
# as a crash leaves them).
#
#   recording_recovery.sh
set -uo pipefail
case_name=recovery
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_lib.sh"

user_temp() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Temp"; }

# No sound: nothing here can record it, and a lesson is its picture.
start_recording() {
    click_control RecStartupFrameWndClass startup.xml checkRecordAudio
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window RecStatusFrameWndClass "*" 20000
}

case_recovery() {
    local real=0
    if [ -f "$bin/ffmpeg-core.exe" ] && [ -f "$bin/ffmpeg.exe" ]; then
        # Both cores, as the package has them: the encoder picks the one for this Windows.
        encoder_files=("$bin/ffmpeg.exe" "$bin"/ffmpeg-core*.exe)
        real=1
    fi
    prepare_folder
    local temp
    temp=$(user_temp)
    rm -rf "$temp"/Rec*
    start_program_retrying HOME="$(microphone_home)"
    wait_window RecStartupFrameWndClass Tavrix 20000
    start_recording
    local started=$SECONDS
    sleep 5
    shoot recording
    # Ended as the Task Manager ends it: no chance to finish anything.
    kill -9 "$tavrix_pid" 2>/dev/null
    wait "$tavrix_pid" 2>/dev/null
    tavrix_pid=""
    local recorded=$((SECONDS - started))
    sleep 1
    local folder
    folder=$(ls -d "$temp"/Rec* 2>/dev/null | head -1)
    [ -n "$folder" ] || fail "no recording folder in $temp"
    if [ "$real" = 0 ]; then
        # The test encoder writes no segments: leave two as a crash does.
        cp "$here/../unit/data/av.mkv" "$folder/temp.avi.part001.mkv"
        cp "$here/../unit/data/av.mkv" "$folder/temp.avi.part002.mkv"
    fi
    # Segments, or (an encoder that finishes when the program is gone) a
    # finished recording nobody saved: either is offered.
    note "left behind: $(ls "$folder" | tr '\n' ' ')"
    if [ "$real" = 1 ]; then
        # Prepared during the countdown, and told to go as the bar came up.
        grep -q 'held until "g"' "$folder/temp.avi.encoder.log" || fail "the encoder was not prepared during the countdown"
        grep -q 'the prepared encoder goes' "$run/tavrix.log" || fail "the prepared encoder was not told to go"
        local core
        core=$(expected_core "$bin")
        grep 'INFO: recording into ' "$folder/temp.avi.encoder.log" | grep -qF "\\$core" ||
            fail "the encoder did not take $core: $(grep -o 'recording into .*' "$folder/temp.avi.encoder.log")"
    fi

    start_program_retrying HOME="$(microphone_home)"
    wait_window "#32770" 提示 30000
    shoot question
    local line
    line=$(tr -d '\r' <"$run/tavrix.log" | grep -o 'a recording was left behind: .*' | tail -1)
    note "$line"
    local ms=${line##*, }
    ms=${ms% ms}
    if [ "$real" = 1 ]; then
        [ "$ms" -ge $(((recorded - 3) * 1000)) ] || fail "the leftover lasts $ms ms, recorded about $recorded s"
    fi
    press_message_button 提示 现在保存
    # Joined by the encoder's recovery mode, then the usual Save dialog.
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '^Save Record File$' >/dev/null 2>&1 && break
        if grep -q "the join ended with exit code [1-9]" "$run/tavrix.log" 2>/dev/null; then
            shoot join-failed
            fail "the recovery join failed: $(grep -o 'the join ended with exit code [0-9]*' "$run/tavrix.log")"
        fi
        sleep 0.2
    done
    focus_title "Save Record File"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "Z:${run//\//\\}\\recovered"
    xdotool key Return
    for _ in $(seq 100); do [ -f "$run/recovered.avi" ] && break; sleep 0.2; done
    [ -f "$run/recovered.avi" ] || fail "the recovered lesson was not saved"
    sleep 1
    [ -d "$folder" ] && fail "the leftover's folder stays after the save: $(ls "$folder")"
    if [ "$real" = 1 ]; then
        local duration
        duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$run/recovered.avi")
        ffmpeg -v error -i "$run/recovered.avi" -f null - 2>"$run/decode.txt" || fail "the lesson does not decode"
        [ -s "$run/decode.txt" ] && fail "decoding errors: $(head -3 "$run/decode.txt")"
        awk -v d="$duration" -v r="$recorded" 'BEGIN { exit !(d >= r - 2) }' ||
            fail "the recovered lesson lasts $duration s, recorded about $recorded s"
        note "recovered $duration s of about $recorded s recorded"
    fi
    wait_window RecStartupFrameWndClass Tavrix
    close_program
}

case_recovery || exit 1
note "passed"
