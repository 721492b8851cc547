#!/usr/bin/env bash
# The pause key end to end: F10 typed with real X input (xdotool) passes the
# hook DLL and pauses a recording while the status bar is up, also when it is
# minimised, and does nothing while the after-recording window is shown.
# Screenshots of the countdown, the status bar and the after-recording window
# are saved in the given folder.
#
#   flow_pause_key.sh <test program folder> <screenshot folder>
set -uo pipefail
bin=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
state=$work/state
commands=$work/commands
: >"$commands"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

/usr/lib/wine/wine64 "$bin/tavrix_flow_probe.exe" "$(winpath "$state")" "$(winpath "$commands")" &
probe=$!
failures=0
finish() {
    echo quit >>"$commands"
    for _ in $(seq 50); do kill -0 "$probe" 2>/dev/null || break; sleep 0.1; done
    kill "$probe" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# Waits until the state line matches every pattern given; fails after $1 s.
wait_state() {
    local seconds=$1; shift
    local tries=$((seconds * 10)) line
    for _ in $(seq "$tries"); do
        line=$(cat "$state" 2>/dev/null)
        local all=1
        for pattern in "$@"; do [[ " $line " == *" $pattern "* ]] || all=0; done
        [ "$all" = 1 ] && return 0
        sleep 0.1
    done
    echo "FAIL: waited for [$*], state is [$line]"
    failures=$((failures + 1))
    return 1
}
check_state() {  # the state matches now
    wait_state 1 "$@"
}
press_f10() {
    local id
    id=$(xdotool search --onlyvisible --name '^flow probe$' | head -1)
    [ -n "$id" ] || { echo "FAIL: no probe window to focus"; failures=$((failures + 1)); return; }
    xdotool windowfocus --sync "$id"
    sleep 0.3
    xdotool key F10
}

wait_state 20 countdown=shown || exit 1
sleep 0.3
import -window root "$shots/countdown.png"
wait_state 8 status=shown countdown=hidden || exit 1
wait_state 3 elapsed=1
import -window root "$shots/status.png"

# Shown: F10 pauses and brings the after-recording window to the front.
press_f10
wait_state 3 pauses=1 status=hidden after=shown front=after
sleep 0.3
import -window root "$shots/after.png"

# Hidden: F10 does nothing.
press_f10
sleep 1.5
check_state pauses=1 after=shown

# Resumed and minimised: F10 still pauses.
echo resume >>"$commands"
wait_state 3 resumes=1 status=shown after=hidden
echo minimise >>"$commands"
wait_state 3 status=minimised
press_f10
wait_state 3 pauses=2 status=hidden after=shown

echo discard >>"$commands"
wait_state 5 status=hidden after=hidden

if [ "$failures" -eq 0 ]; then echo "pause key: all checks passed"; exit 0; fi
exit 1
