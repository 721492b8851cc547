#!/usr/bin/env bash
# Benchmarks of the sound a teacher can see (not run by scripts/test).
#
#   sound_bench.sh cpu [seconds] [runs]
#       Tavrix's own processor time while it records with both sources, a
#       tone playing on each (so both meters move all the time), with the
#       real encoder: the program from TAVRIX_BIN, the encoder and its core
#       from ENCODER_BIN (default: TAVRIX_BIN). Run it with the program of
#       today's main in TAVRIX_BIN and again with this one to compare.
#       Prints, per run, the program's CPU seconds over the measured span
#       and their share of one core.
#   sound_bench.sh delay
#       How soon the bar's meter shows a rise of the level that reached the
#       encoder, and a loss the warning (the Windows benchmark test, with the
#       test encoder).
#
# It runs in a test session of its own (scripts/lib/session.sh: display,
# prefix, sound server); TAVRIX_BIN is the product unless it names another
# build's bin/.
set -uo pipefail
which=${1:?cpu or delay}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
: "${TAVRIX_BIN:=$(cd "$(dirname "$0")/../.." && pwd)/build/win32/bin}"
export TAVRIX_BIN
encoder_bin=${ENCODER_BIN:-$TAVRIX_BIN}

if [ "$which" = delay ]; then
    (cd "$TAVRIX_BIN/tests" && /usr/lib/wine/wine tavrix_ui_win_tests.exe --gtest_also_run_disabled_tests \
        --gtest_filter='SoundFlowTest.DISABLED_Benchmark*') 2>&1 | grep -E "rise on the meter|OK|FAILED"
    exit "${PIPESTATUS[0]}"
fi

seconds=${2:-60}
runs=${3:-3}
case_name=sound_bench
encoder_files=("$encoder_bin/ffmpeg.exe" "$encoder_bin"/ffmpeg-core*.exe)
source "$here/program_lib.sh"
sound_use || fail "no private sound server"
: "${TAVRIX_SPEAKER_ENDPOINT:?TAVRIX_SPEAKER_ENDPOINT must name the monitor of the speakers}"
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/Rec*.tmp
work=$work_root/sound-bench
mkdir -p "$work"
ffmpeg -v error -y -f lavfi -i "sine=frequency=700:duration=600:sample_rate=44100" -af "volume=0.4,tremolo=f=3:d=0.9" \
    -ac 2 "$work/speech.wav" || fail "cannot make the tone"
# The room: a microphone Tavrix finds first (see recording_sound_warnings.sh).
room=$(pactl load-module module-null-sink sink_name=room sink_properties=device.description=Classroom)
pactl set-default-source room.monitor
players=()
paplay --device=room "$work/speech.wav" & players+=($!)
paplay --device=speakers "$work/speech.wav" & players+=($!)
cleanup() {
    kill "${players[@]}" 2>/dev/null
    pactl unload-module "$room"
    pactl set-default-source "$tavrix_speaker_sink.monitor"
    stop_program
}
on_exit cleanup

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The program's own process: Tavrix.exe in this prefix (other Wine programs may run beside it).
program_process() {
    local pid
    for pid in $(pgrep -f 'Tavrix\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$pid"; return 0; }
    done
    return 1
}
ticks=$(getconf CLK_TCK)

echo "program: $TAVRIX_BIN; encoder: $encoder_bin; $seconds s per run; load $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$runs"); do
    prepare_folder
    start_program_retrying
    wait_window RecStartupFrameWndClass Tavrix 30000
    click_control RecStartupFrameWndClass startup.xml optionAudioMix
    click_control RecStartupFrameWndClass startup.xml startBtn
    wait_window RecTSFrameWndClass
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window RecStatusFrameWndClass "*" 15000
    sleep 3
    pid=$(program_process) || fail "no Tavrix.exe process in $WINEPREFIX"
    before=$(cpu_ticks "$pid")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" -v r="$round" -v l="$(cut -d' ' -f1 /proc/loadavg)" \
        'BEGIN { printf "run %d: %.2f CPU s in %d s, %.2f %% of a core (load %s)\n", r, t / hz, s, 100 * t / hz / s, l }'
    click_control RecStatusFrameWndClass status.xml btnStop
    wait_window RecProcessWndClass
    click_control RecProcessWndClass process.xml discardBtn
    wait_window RecStartupFrameWndClass
    stop_program
done
