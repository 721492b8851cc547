# shellcheck shell=bash
# Shared steps of the end-to-end tests of the real program (and of the
# demo): a fresh folder with the program, its skin, hook DLL and the test
# encoder; the program started under Wine in the test session; windows found
# by their class through a probe, controls by their name through the skin's
# own layout; real X input with xdotool; screenshots of what the user saw.
#
# TAVRIX_BIN names the build's bin/ folder (the product's by default). The
# session (display, prefix, sound server) is the one ctest gave the test,
# else one of the script's own (scripts/lib/session.sh).

# shellcheck source=../../scripts/lib/session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/session.sh"
session_enter || exit 1
bin=$product_bin
tests_bin=$bin/tests
case_name=${case_name:-startup}
# The test's own folder: tests run side by side, each in its own.
work_root=${TAVRIX_WORK:-$(cd "$bin/.." && pwd)/e2e/${TAVRIX_TEST_NAME:-$case_name}}
mkdir -p "$work_root"
shots=${TAVRIX_SHOTS:-$work_root/shots}
mkdir -p "$shots"
# The encoder copied beside the program: the test encoder unless told otherwise.
encoder_files=("${encoder_files[@]:-$tests_bin/ffmpeg.exe}")

run=""          # the test's program folder
tavrix_pid=""   # the Wine process of the program under test

# A screenshot once the windows had time to repaint what was uncovered.
shoot() {
    sleep 0.5
    import -window root "$shots/$case_name-$1.png" 2>/dev/null
}

# What a failure shows besides its reason: the screen, the program's log.
on_fail 'shoot failure; [ -n "$run" ] && [ -f "$run/tavrix.log" ] && { echo "--- tavrix.log"; tail -20 "$run/tavrix.log"; }'

stop_program() {
    [ -n "${PROBE_PID:-}" ] && kill "$PROBE_PID" 2>/dev/null
    if [ -n "$tavrix_pid" ] && kill -0 "$tavrix_pid" 2>/dev/null; then
        kill "$tavrix_pid" 2>/dev/null
        wait "$tavrix_pid" 2>/dev/null
    fi
    tavrix_pid=""
}
on_exit stop_program

# The probe runs as one serving process for the whole test (a Wine process
# start costs most of a second): requests and answers are tab-separated lines.
# Started by prepare_folder, in the test's own shell.
start_probe() {
    [ -n "${PROBE_PID:-}" ] && kill -0 "$PROBE_PID" 2>/dev/null && return
    coproc PROBE { exec "$wine" "$tests_bin/e2e_window.exe" serve 2>/dev/null; }
    # Copies of the pipe ends: bash hides a coprocess's own from subshells.
    exec {probe_to}>&"${PROBE[1]}" {probe_from}<&"${PROBE[0]}"
}

# probe <verb> <arguments...>: prints the answer; the probe's exit code.
probe() {
    local IFS=$'\t' reply
    printf '%s\n' "$*" >&"$probe_to" || return 3
    IFS= read -r reply <&"$probe_from" || return 3
    reply=${reply%$'\r'}
    [ -n "${reply#*$'\t'}" ] && echo "${reply#*$'\t'}"
    return "${reply%%$'\t'*}"
}

# A fresh folder holding what the installed program has beside it, and the
# test encoder as ffmpeg.exe.
prepare_folder() {
    run=${TAVRIX_RUN:-$work_root/$case_name}
    rm -rf "$run"
    mkdir -p "$run"
    cp "$bin/Tavrix.exe" "$bin/hookDLL.dll" "$run/" || fail "program not built"
    cp -r "$bin/skin" "$run/skin" || fail "skin not installed"
    cp "${encoder_files[@]}" "$run/" || fail "encoder not built"
    start_probe
}

# A home whose ALSA default is a null device: Wine then lists one wave-in
# device, the microphone the program finds.
microphone_home() {
    local home=$work_root/null-alsa-home
    mkdir -p "$home"
    printf 'pcm.!default { type null }\nctl.!default { type null }\n' >"$home/.asoundrc"
    echo "$home"
}

# start_program [VAR=value ...]: the program in its folder, in the background.
start_program() {
    (cd "$run" && exec env "$@" "$wine" Tavrix.exe >>"$run/output.txt" 2>&1) &
    tavrix_pid=$!
}

# start_program, once more when Wine could not start the registration tool
# (seen once on a heavily loaded machine): that start says so in its log.
start_program_retrying() {
    start_program "$@"
    for _ in $(seq 50); do
        if grep -q "register video capture failed\|register audio capture failed" "$run/tavrix.log" 2>/dev/null; then
            note "Wine could not start regsvr32; starting the program again"
            kill "$tavrix_pid" 2>/dev/null
            wait "$tavrix_pid" 2>/dev/null
            mv "$run/tavrix.log" "$run/tavrix-first-start.log"
            start_program "$@"
            return
        fi
        grep -q "audio_sniffer.dll" "$run/tavrix.log" 2>/dev/null && return
        sleep 0.1
    done
}

# Waits for the program to end and sets exit_code ("running" when it did
# not end within 15 s). Wine gives the low 8 bits of the exit code. Not for
# a subshell: only this shell can wait for the program.
exit_code=""
await_exit() {
    local pid=$tavrix_pid
    exit_code=running
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && return
    wait "$pid"
    exit_code=$?
    tavrix_pid=""
}

# expect_exit <code>: the program ends with that exit code.
expect_exit() {
    await_exit
    [ "$exit_code" = "$1" ] || fail "the program ended with $exit_code, expected $1"
}

# window_geometry <class> [text] [timeoutMs]: "x y width height" of a visible window.
# Windows may be made visible and then moved (centred): the geometry counts
# once two reads 100 ms apart agree.
window_geometry() {
    local first second
    first=$(probe find "$1" "${2:-*}" "${3:-15000}") || return 1
    for _ in $(seq 20); do
        sleep 0.1
        second=$(probe find "$1" "${2:-*}" 2000) || return 1
        [ "$second" = "$first" ] && { echo "$first"; return 0; }
        first=$second
    done
    echo "$first"
}

wait_window() {
    window_geometry "$@" >/dev/null || fail "window $1 ${2:-} did not show"
}

wait_window_gone() {
    probe gone "$1" "${2:-*}" "${3:-10000}" || fail "window $1 ${2:-} did not go"
}

# The selector's windows, hidden, also gone from the X screen: Wine without a
# window manager unmaps a hidden full-screen window up to two seconds later,
# and until then it takes the clicks meant for the windows below.
wait_selector_gone() {
    wait_window_gone SelectWnd Select
    for _ in $(seq 60); do
        [ -z "$(xdotool search --onlyvisible --name '^(Select|BackGround)$' 2>/dev/null)" ] && { sleep 0.2; return 0; }
        sleep 0.1
    done
    fail "the selector's windows stay on the X screen"
}

window_shown() {
    probe find "$1" "${2:-*}" 0 >/dev/null 2>&1
}

# Controls the windows hide as they open, so the layout matches what shows.
declare -A hidden_at_start=([startup.xml]=btnSoundXP,txtAudioXP)

# Control rectangles of a skin (client coordinates), by name, from the skin
# layout tool; cached per skin. layout_dpi: the display's dpi when not 96.
declare -A layout_cache
control_rect() {
    local skin=$1 name=$2
    if [ -z "${layout_cache[$skin]:-}" ]; then
        local options=()
        [ -n "${hidden_at_start[$skin]:-}" ] && options=(--hide "${hidden_at_start[$skin]}")
        [ -n "${layout_dpi:-}" ] && options+=(--dpi "$layout_dpi")
        layout_cache[$skin]=$(cd "$run" && "$wine" "$tests_bin/skin_layout.exe" --skin-dir skin "$skin" "${options[@]}" | tr -d '\r')
        [ -n "${layout_cache[$skin]}" ] || fail "no layout for $skin"
    fi
    local line
    line=$(awk -v n="$name" '$1 == "control" && $2 == n { print $4, $5, $6, $7; exit }' <<<"${layout_cache[$skin]}")
    [ -n "$line" ] || fail "control $name not in $skin"
    echo "$line"
}

# click_control <window class> <skin> <control> [button]: a real click in the
# middle of the control. screen_left and screen_top: where Wine's screen
# coordinates start on the X screen (negative with a monitor left of or above
# the primary one).
click_control() {
    local geometry rect wx wy l t r b
    geometry=$(window_geometry "$1") || fail "window $1 not shown for a click on $3"
    read -r wx wy _ _ <<<"$geometry"
    rect=$(control_rect "$2" "$3")
    read -r l t r b <<<"$rect"
    xdotool mousemove $((wx + (l + r) / 2 - ${screen_left:-0})) $((wy + (t + b) / 2 - ${screen_top:-0})) sleep 0.1 \
        click "${4:-1}"
    sleep 0.3
}

# option_selected <window class> <skin> <option>: the option shows its
# selected look (the skins' option tiles turn light blue, #EFF6FF, inside).
option_selected() {
    local geometry wx wy l t b
    geometry=$(window_geometry "$1" "*" 2000) || return 1
    read -r wx wy _ _ <<<"$geometry"
    read -r l t _ b <<<"$(control_rect "$2" "$3")"
    [ "$(screen_pixel $((wx + l + 6 - ${screen_left:-0})) $((wy + (t + b) / 2 - ${screen_top:-0})))" = "#EFF6FF" ]
}

# click_until <check> <click_control arguments>: clicks the control until the
# check (a command) succeeds, giving each click a few seconds to show its
# effect. Under Wine without a window manager the first click on a window
# after a message box may only bring that window to the front.
click_until() {
    local check=$1 attempt
    shift
    for attempt in 1 2 3; do
        click_control "$@"
        for _ in $(seq 30); do eval "$check" && return 0; sleep 0.1; done
        note "the click on $3 showed no effect (click $attempt); clicking again"
    done
    fail "three clicks on $3 showed no effect"
}

# close_program: the startup window's close button, clicked until the
# window goes (the first click after a dialog may only bring it to the
# front); the program must then end with exit code 0.
close_program() {
    click_until '! window_shown RecStartupFrameWndClass Tavrix' RecStartupFrameWndClass startup.xml closeBtn
    expect_exit 0
}

# select_option <window class> <skin> <option>: clicks an option of a group
# until it shows selected.
select_option() {
    click_until "option_selected $1 $2 $3" "$@"
}

# Focus the X window of a Wine window found by its exact title.
focus_title() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
    [ -n "$id" ] || fail "no window titled $1 to focus"
    xdotool windowfocus --sync "$id" 2>/dev/null
    sleep 0.3
}

# press_message_button <caption> <button text>: a click on that button of a
# message box ("确定" OK, "是(&Y)" yes, "否(&N)" no), which must then close.
press_message_button() {
    local box x y w h
    box=$(probe child "#32770" "$1" "$2" 15000 | tr -d '\r') || fail "no button $2 on the message box '$1'"
    read -r x y w h <<<"$box"
    # Clicked again while the button stays: the first click may only bring
    # the box to the front. A box that follows under the same caption has
    # other buttons, so the answer counts once this button is gone.
    local attempt
    for attempt in 1 2 3; do
        xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.1 click 1
        for _ in $(seq 20); do
            probe child "#32770" "$1" "$2" 0 >/dev/null || return 0
            sleep 0.1
        done
    done
    fail "the message box '$1' did not close"
}
press_message_ok() { press_message_button "$1" 确定; }

# save_in_dialog <folder> <name> [command]: once the Save dialog shows (it
# may take a while on a loaded machine), the lesson typed in as
# <folder>\<name> (the dialog adds .avi) and saved; the command, if given,
# runs while the dialog shows (a screenshot). Back at the startup window, the
# file must be there.
save_in_dialog() {
    local folder=$1 name=$2 dialog=""
    for _ in $(seq 150); do
        dialog=$(xdotool search --onlyvisible --name '^Save Record File$' 2>/dev/null | head -1)
        [ -n "$dialog" ] && break
        sleep 0.2
    done
    [ -n "$dialog" ] || fail "the Save dialog did not show"
    sleep 0.5
    [ -n "${3:-}" ] && eval "$3"
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 10 "$(winpath "$folder")\\$name"
    xdotool key Return
    wait_window RecStartupFrameWndClass Tavrix 60000
    for _ in $(seq 50); do [ -s "$folder/$name.avi" ] && break; sleep 0.2; done
    [ -s "$folder/$name.avi" ] || fail "$name.avi was not saved"
}

# A drag with the left button in small steps, so every step is a mouse move.
drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 steps=8 i
    xdotool mousemove "$x1" "$y1" sleep 0.1 mousedown 1
    for i in $(seq 1 $steps); do
        xdotool mousemove $((x1 + (x2 - x1) * i / steps)) $((y1 + (y2 - y1) * i / steps)) sleep 0.05
    done
    xdotool mouseup 1
    sleep 0.3
}

registry_key='HKCU\SOFTWARE\screen-capture-recorder'

reset_capture_settings() {
    "$wine" reg delete "$registry_key" /f >/dev/null 2>&1
}

# capture_setting <name>: the DWORD as a decimal number.
capture_setting() {
    local hex
    hex=$("$wine" reg query "$registry_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }')
    [ -n "$hex" ] || { echo "missing"; return; }
    echo $((hex))
}

# "start_x start_y capture_width capture_height"
capture_area() {
    echo "$(capture_setting start_x) $(capture_setting start_y) $(capture_setting capture_width) $(capture_setting capture_height)"
}

# The encoder command lines the program logged, one a line, time stamps cut.
logged_command_lines() {
    [ -f "$run/tavrix.log" ] || return 0
    tr -d '\r' <"$run/tavrix.log" | sed -n 's/^- [^ ]* DEBUG: \(ffmpeg -y .*\)$/\1/p'
}

wait_command_lines() {
    local want=$1
    for _ in $(seq 100); do
        [ "$(logged_command_lines | wc -l)" -ge "$want" ] && return 0
        sleep 0.1
    done
    fail "the encoder start number $want was not logged"
}

# The pieces of the encoder command line.
dq='"'
VIDEO="ffmpeg -y -pause_support -f dshow -i video=${dq}screen-capture-recorder${dq}"
SPEAKER=" -f dshow -i audio=${dq}virtual-audio-capturer${dq}"
microphone_piece() { echo " -f dshow -i audio=${dq}$1${dq}"; }
QUALITY_NORMAL=" -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast"
QUALITY_GOOD=" -pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster"
AUDIO_CODEC=" -b:a 64k -strict -2 -c:a aac"
MIX=" -filter_complex amix"

# expect_command_line <line> <pieces before the output>: the line is those
# pieces and then the temporary recording in quotes.
expect_command_line() {
    local line=$1 head=$2
    case "$line" in
        "$head ${dq}"*"\\temp.avi${dq}") ;;
        *) fail "command line
  got:      $line
  expected: $head \"...\\temp.avi\"" ;;
    esac
    local rest=${line#"$head ${dq}"}
    case "$rest" in *"$dq"*"$dq"*) fail "more than the output after the options: $line" ;; esac
}

# One recording from the startup window: Start, the tip's OK, the countdown,
# the encoder; then stop on the status bar and discard, back to the startup
# window. `shot` names the screenshots (empty: none).
record_and_discard() {
    local shot=${1:-}
    local before
    before=$(logged_command_lines | wc -l)
    click_until "window_shown RecTSFrameWndClass" RecStartupFrameWndClass startup.xml startBtn
    [ -n "$shot" ] && shoot "$shot-tip"
    click_control RecTSFrameWndClass TSSkin.xml btnOK
    wait_window ReadyFrameWndClass
    [ -n "$shot" ] && shoot "$shot-countdown"
    wait_window RecStatusFrameWndClass "*" 10000
    wait_command_lines $((before + 1))
    [ -n "$shot" ] && shoot "$shot-recording"
    click_control RecStatusFrameWndClass status.xml btnStop
    wait_window RecProcessWndClass
    [ -n "$shot" ] && shoot "$shot-stopped"
    click_control RecProcessWndClass process.xml discardBtn
    wait_window RecStartupFrameWndClass
    sleep 0.3
}
