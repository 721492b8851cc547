#!/usr/bin/env bash
# Start-up benchmark (not a test): the time from launching a program under
# Wine until its first window is visible on the X display, for Tavrix.exe
# and for the minimal Win32 program that shows one window, under the same Wine,
# prefix and persistent wineserver. Prints each run and the median.
#
#   tests/e2e/app_startup_bench.sh [runs]     (TAVRIX_BIN: another build's bin/)
#
# Runs in a test session of its own, or in the one scripts/test gives it.
set -uo pipefail
runs=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
case_name=benchmark
source "$here/program_lib.sh"

# ms from launch to the moment the X server maps a top-level window whose
# title is this exact one. The X server's own notice of the map is awaited
# (xev on the root window), not polled for: a poll that starts a program
# every few milliseconds takes a processor from the program it times, and on
# two processors it slowed the program that does more at start the most.
time_to_window() {
    local title=$1; shift
    local start mapped="" window="" line
    local events=$run/map-events.$$
    rm -f "$events"
    # Each map notice, stamped as it arrives: "time window-id".
    { stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
          case $line in
            MapNotify*) read -r line; printf '%s %s\n' "${EPOCHREALTIME/./}" "${line#*window }" ;;
          esac
      done >"$events"; } 2>/dev/null &
    local watcher=$!
    sleep 0.3  # xev is listening
    start=${EPOCHREALTIME/./}
    # Its output goes nowhere: a child it starts must not hold this
    # function's output open.
    "$@" >/dev/null 2>&1 &
    local pid=$!
    # Each window mapped is looked at once, after its map was stamped; until
    # then this loop starts nothing.
    local seen=0 maps
    for _ in $(seq 1500); do
        mapfile -t maps <"$events"
        while [ "$seen" -lt "${#maps[@]}" ]; do
            read -r mapped window <<<"${maps[$seen]}"
            seen=$((seen + 1))
            window=${window%%,*}
            [ "$(xdotool getwindowname "$((window))" 2>/dev/null)" = "$title" ] && break 2
            mapped=""
        done
        sleep 0.01
    done
    # Ended a moment later, not inside the work it does once its window
    # shows (a process killed while it starts another leaves that one
    # suspended for ever).
    sleep 0.5
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    pkill -P "$watcher" 2>/dev/null; kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null
    rm -f "$events"
    # Let the window's process go before the next run.
    for _ in $(seq 100); do xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || break; sleep 0.02; done
    [ -n "$mapped" ] || { echo "timeout"; return; }
    echo $(((mapped - start) / 1000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

prepare_folder
cp "$tests_bin/minimal_window.exe" "$run/"
cd "$run"
# One warm-up each: the first start of a program reads its files from disk.
time_to_window Minimal "$wine" minimal_window.exe >/dev/null
time_to_window Tavrix "$wine" Tavrix.exe >/dev/null

minimal=() tavrix=()
for i in $(seq "$runs"); do
    minimal+=("$(time_to_window Minimal "$wine" minimal_window.exe)")
    tavrix+=("$(time_to_window Tavrix "$wine" Tavrix.exe)")
done
echo "minimal window (ms): ${minimal[*]}"
echo "Tavrix.exe     (ms): ${tavrix[*]}"
echo "median: minimal $(printf '%s\n' "${minimal[@]}" | median) ms, Tavrix $(printf '%s\n' "${tavrix[@]}" | median) ms"
