#!/usr/bin/env bash
# Start-up benchmark (not a test): the time from launching a program under
# wine64 until its first window is visible on the X display, for Tavrix.exe
# and for the minimal Win32 program that shows one window, under the same Wine,
# prefix and persistent wineserver. Prints each run and the median.
#
#   TAVRIX_BIN=build/win64/bin tests/e2e/startup_benchmark.sh [runs]
#
# Needs DISPLAY and WINEPREFIX like the end-to-end tests (scripts/test sets
# them up; by hand see README.md).
set -uo pipefail
runs=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
case_name=benchmark
source "$here/startup_lib.sh"

# ms from launch to a visible X window with this exact title.
time_to_window() {
    local title=$1; shift
    local start end id=""
    start=$(date +%s%N)
    # Its output goes nowhere: a child it starts must not hold this
    # function's output open.
    "$@" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 3000); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
        [ -n "$id" ] && break
        sleep 0.005
    done
    end=$(date +%s%N)
    # Ended a moment later, not inside the work it does once its window
    # shows (a process killed while it starts another leaves that one
    # suspended for ever).
    sleep 0.5
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    # Let the window's process go before the next run.
    for _ in $(seq 100); do xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || break; sleep 0.02; done
    [ -n "$id" ] || { echo "timeout"; return; }
    echo $(((end - start) / 1000000))
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
