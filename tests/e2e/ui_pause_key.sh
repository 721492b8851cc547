#!/usr/bin/env bash
# The pause key end to end: F10 typed with real X input (xdotool) passes the
# hook DLL and pauses a recording while the status bar is up, also when it is
# minimised, and does nothing while the after-recording window is shown;
# Alt+F4 on the after-recording window leaves it open.
# Screenshots of the countdown, the status bar and the after-recording window
# are saved in build/<preset>/e2e/<test>/.
#
#   ui_pause_key.sh
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/session.sh"
session_enter || exit 1
bin=$product_bin/tests
shots=$(test_folder ui_pause_key)
work=$shots/probe
mkdir -p "$work"
state=$work/state
commands=$work/commands
: >"$commands"

"$wine" "$bin/tavrix_pause_key_probe.exe" "$(winpath "$state")" "$(winpath "$commands")" &
probe=$!
failures=0
finish() {
    echo quit >>"$commands"
    for _ in $(seq 50); do kill -0 "$probe" 2>/dev/null || break; sleep 0.1; done
    kill "$probe" 2>/dev/null
}
on_exit finish

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
# Gives the X keyboard focus to the visible window of that name (Wine may
# move the focus when it activates a window, so it is checked, not assumed).
focus_window() {
    local id
    id=$(xdotool search --onlyvisible --name "$1" | head -1)
    [ -n "$id" ] || { echo "FAIL: no window named $1"; failures=$((failures + 1)); return 1; }
    for _ in $(seq 10); do
        xdotool windowfocus --sync "$id" 2>/dev/null
        sleep 0.3
        [ "$(xdotool getwindowfocus)" = "$id" ] && return 0
    done
    echo "FAIL: could not focus $1"
    failures=$((failures + 1))
    return 1
}
press_f10() {
    focus_window '^flow probe$' && xdotool key F10
}

wait_state 20 countdown=shown || exit 1
sleep 0.3
import -window root "$shots/countdown.png"
wait_state 8 status=shown countdown=hidden || exit 1
wait_state 6 elapsed=1
import -window root "$shots/status.png"

# Shown: F10 pauses and brings the after-recording window to the front.
press_f10
wait_state 6 pauses=1 status=hidden after=shown front=after
sleep 0.3
import -window root "$shots/after.png"

# Alt+F4 on the after-recording window reaches it and leaves it open in front.
focus_window '^提示$' && xdotool key alt+F4
wait_state 6 closes=1
sleep 0.5
check_state closes=1 after=shown front=after pauses=1
kill -0 "$probe" 2>/dev/null || { echo "FAIL: the probe ended"; failures=$((failures + 1)); }

# Hidden: F10 does nothing.
press_f10
sleep 1.5
check_state pauses=1 after=shown

# Resumed and minimised: F10 still pauses.
echo resume >>"$commands"
wait_state 6 resumes=1 status=shown after=hidden
echo minimise >>"$commands"
wait_state 6 status=minimised
press_f10
wait_state 6 pauses=2 status=hidden after=shown

echo discard >>"$commands"
wait_state 5 status=hidden after=hidden

if [ "$failures" -eq 0 ]; then echo "pause key: all checks passed"; exit 0; fi
exit 1
