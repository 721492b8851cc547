# shellcheck shell=bash
# What the scripts of the skinned-window library share: a skin shown in the
# viewer (bin/tests/skin_view.exe) the way the program's windows show
# theirs, and the layout tool's rectangles. Defines $tests (the test
# programs' folder), $out (the test's folder for screenshots), $failures.

# shellcheck source=../../scripts/lib/session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/session.sh"
session_enter || exit 1
tests=$product_bin/tests
out=$(test_folder "$(basename "$0" .sh)")
failures=0
viewer_pid=
on_exit '[ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null'

# failed <what>: one check failed; the script goes on to the next.
failed() { echo "FAIL $*"; failures=$((failures + 1)); }

# viewer_show <skin> [viewer options...]: the skin in a window of the viewer;
# viewer_window is its X window, and X Y WIDTH HEIGHT its place, once it has
# painted. Fails the check (returns 1) when no window comes.
viewer_show() {
  local skin=$1
  shift
  (cd "$tests" && exec "$wine" skin_view.exe "$skin" --seconds 30 "$@") >/dev/null 2>&1 &
  viewer_pid=$!
  viewer_window=
  # A loaded machine can take a while to start the viewer: up to a minute.
  for _ in $(seq 600); do
    viewer_window=$(xdotool search --onlyvisible --name "^${skin//./\\.}\$" 2>/dev/null | head -1)
    [ -n "$viewer_window" ] && break
    sleep 0.1
  done
  if [ -z "$viewer_window" ]; then
    failed "$skin: no window"
    viewer_close "$skin"
    return 1
  fi
  sleep 0.8  # let it paint
  eval "$(xdotool getwindowgeometry --shell "$viewer_window")"
}

# viewer_close <skin>: ends the viewer; its window must be gone before the
# next one is looked for.
viewer_close() {
  kill "$viewer_pid" 2>/dev/null
  wait "$viewer_pid" 2>/dev/null
  viewer_pid=
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${1//./\\.}\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
}

# viewer_shot <name>: the screen, and the viewer's window cut out of it.
viewer_shot() {
  import -window root "$out/$1-screen.png"
  convert "$out/$1-screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
}

# layout <skin> [dpi]: the layout tool's lines for the skin.
layout() {
  (cd "$tests" && "$wine" skin_layout.exe "$1" ${2:+--dpi "$2"} 2>/dev/null) | tr -d '\r'
}

# rect <layout lines> <control>: "left top right bottom" of the control.
rect() { awk -v n="$2" '$1 == "control" && $2 == n { print $4, $5, $6, $7 }' <<<"$1"; }
