#!/usr/bin/env bash
# How late the lesson's first segment begins after the status bar's clock
# starts, with the real Tavrix.exe and the real encoder under Xvfb + wine64:
# Start is clicked (no sound), the bar appears, the program is ended 3 s
# later, and the two logs are compared: Tavrix's line written as it starts
# the clock ("the prepared encoder goes", or an older build's command line)
# against the encoder's "segment 1:" line, written as the core's gate opens
# (its first picture follows one frame, 100 ms, later). Not a test: a
# measurement, run where scripts/test runs the end-to-end tests.
#
#   start_latency_bench.sh [ROUNDS] [OTHER_BIN]
#
# OTHER_BIN: the bin/ folder of another build (an older commit) whose
# Tavrix.exe and ffmpeg.exe are measured the same way, for a before/after.
set -uo pipefail
rounds=${1:-3}
other=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
case_name=start_latency
source "$here/startup_lib.sh"
encoder_files=("$bin/ffmpeg.exe" "$bin/ffmpeg-core.exe")

# Milliseconds between two "HH:MM:SS.mmm" times.
gap_ms() {
    awk -v a="$1" -v b="$2" 'function ms(t, p) { split(t, p, ":"); return (p[1] * 3600 + p[2] * 60 + p[3]) * 1000 }
                             BEGIN { printf "%d", ms(b) - ms(a) }'
}

measure() {  # measure <label> [bin folder whose program and encoder replace ours]
    local label=$1 from=${2:-} temp folder went began
    prepare_folder
    [ -n "$from" ] && cp "$from/Tavrix.exe" "$from/ffmpeg.exe" "$run/"
    temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
    rm -rf "$temp"/Rec*
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 20000
    click_control RecStartupFrameWndClass startup.xml checkRecordAudio
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window RecStatusFrameWndClass "*" 20000
    sleep 3
    kill -9 "$tavrix_pid" 2>/dev/null
    wait "$tavrix_pid" 2>/dev/null
    tavrix_pid=""
    sleep 1
    folder=$(ls -d "$temp"/Rec* 2>/dev/null | head -1)
    went=$(tr -d '\r' <"$run/tavrix.log" | grep -E 'the prepared encoder goes|DEBUG: ffmpeg -y' | tail -1 |
           grep -o '[0-9:]*\.[0-9]*' | head -1)
    began=$(tr -d '\r' <"$folder/temp.avi.encoder.log" 2>/dev/null | grep 'INFO: segment 1: ' | head -1 |
            grep -o '[0-9:]*\.[0-9]*' | head -1)
    if [ -n "$went" ] && [ -n "$began" ]; then
        echo "$label: the first segment began $(gap_ms "$went" "$began") ms after the bar's clock started"
    else
        echo "$label: no figure (clock $went, segment $began)"
    fi
    rm -rf "$temp"/Rec*
}

for i in $(seq "$rounds"); do
    [ -n "$other" ] && measure "other build, round $i" "$other"
    measure "this build, round $i"
done
