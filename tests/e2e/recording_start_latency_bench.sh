#!/usr/bin/env bash
# How late the lesson's first segment begins after the status bar appears,
# with the real Tavrix.exe and the real encoder under Xvfb and Wine: Start is
# clicked (no sound), and the moment the bar is seen is compared with the
# moment the first segment's file appears (the core makes it once its screen
# grabber is open, a frame before its first picture), both on this machine's
# clock, polled every 10 to 50 ms. The logs cannot serve: each process's time
# stamps count their milliseconds from its own first line. Not a test: a
# measurement, in a test session of its own or the one scripts/test gives it.
#
#   recording_start_latency_bench.sh [ROUNDS] [OTHER_BIN]
#
# OTHER_BIN: the bin/ folder of another build (an older commit) whose
# Tavrix.exe and ffmpeg.exe are measured the same way, for a before/after.
set -uo pipefail
rounds=${1:-3}
other=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
case_name=start_latency
source "$here/program_lib.sh"
encoder_files=("$bin/ffmpeg.exe" "$bin"/ffmpeg-core*.exe)

measure() {  # measure <label> [bin folder whose program and encoder replace ours]
    local label=$1 from=${2:-} temp bar segment
    prepare_folder
    [ -n "$from" ] && cp "$from/Tavrix.exe" "$from/ffmpeg.exe" "$run/"
    temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
    rm -rf "$temp"/Rec*
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    click_control RecStartupFrameWndClass startup.xml checkRecordAudio
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    rm -f "$run/segment.time"
    # The segment's file is looked for from the click on, on a poller of its own.
    (for _ in $(seq 2000); do
         compgen -G "$temp/Rec*/temp.avi.part001.mkv" >/dev/null && { date +%s%3N >"$run/segment.time"; exit; }
         sleep 0.01
     done) &
    local poller=$!
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    probe find RecStatusFrameWndClass "*" 20000 >/dev/null || fail "no status bar"
    bar=$(date +%s%3N)
    sleep 3
    kill -9 "$tavrix_pid" 2>/dev/null
    wait "$tavrix_pid" 2>/dev/null
    tavrix_pid=""
    wait "$poller"
    segment=$(cat "$run/segment.time" 2>/dev/null)
    if [ -n "$segment" ]; then
        echo "$label: the first segment's file appeared $((segment - bar)) ms after the bar was seen"
    else
        echo "$label: no segment file seen"
    fi
    rm -rf "$temp"/Rec*
}

for i in $(seq "$rounds"); do
    [ -n "$other" ] && measure "other build, round $i" "$other"
    measure "this build, round $i"
done
