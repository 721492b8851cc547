#!/usr/bin/env bash
# The real Save dialog, driven by X input: a name typed without an extension
# is saved with ".avi"; typing an existing name asks before replacing it; a
# cancel deletes the recording.
# Screenshots of the dialog stay in build/<preset>/e2e/<test>/.
#   recording_save_dialog.sh
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/session.sh"
session_enter || exit 1
bin=$product_bin/tests
artifacts=$(test_folder recording_save_dialog)
work=$artifacts/files
mkdir -p "$work"
win_work=$(winpath "$work")
title='^Save Record File$'
fail=0
failed() { echo "FAIL: $*"; fail=1; }

# Starts the probe on a recording, waits for the dialog, focuses it; sets $probe and $dialog.
open_dialog() {
  printf '%s' "$2" >"$work/$1"
  # The probe's output is named apart from the recording: a save removes the
  # files beside the recording whose names continue its own ("first.avi.*").
  "$wine" "$bin/tavrix_engine_probe.exe" save "$win_work\\$1" >"$work/$1-probe.txt" 2>&1 &
  probe=$!
  dialog=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -1)
  [ -n "$dialog" ] || { failed "no Save dialog for $1"; return 1; }
  xdotool windowfocus --sync "$dialog"
  sleep 0.5
}
finish_probe() {
  for _ in $(seq 150); do kill -0 "$probe" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$probe" 2>/dev/null; then failed "the probe did not return"; kill "$probe"; fi
  wait "$probe"
}

# 1. A name without extension.
if open_dialog first.avi "recording one"; then
  import -window root "$artifacts/engine-save-dialog.png"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$win_work\\lesson"
  xdotool key Return
  finish_probe
  [ "$(cat "$work/lesson.avi" 2>/dev/null)" = "recording one" ] || failed "lesson.avi does not hold the recording"
  [ ! -e "$work/first.avi" ] || failed "the temporary recording is still there"
  grep -qF "the path is : $win_work\\lesson.avi" "$work/first.avi-probe.txt" || failed "no path line: $(cat "$work/first.avi-probe.txt")"
fi

# 2. The same name again: the dialog asks before replacing.
if open_dialog second.avi "recording two"; then
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$win_work\\lesson"
  xdotool key Return
  prompt=""
  for _ in $(seq 50); do
    prompt=$(xdotool search --onlyvisible --name "$title" | grep -vx "$dialog" | head -1)
    [ -n "$prompt" ] && break
    sleep 0.2
  done
  if [ -z "$prompt" ]; then
    failed "no question before replacing lesson.avi"
  else
    [ "$(cat "$work/lesson.avi")" = "recording one" ] || failed "replaced before the answer"
    xdotool windowfocus --sync "$prompt"
    sleep 0.3
    import -window root "$artifacts/engine-save-overwrite.png"
    xdotool key Return
  fi
  finish_probe
  [ "$(cat "$work/lesson.avi" 2>/dev/null)" = "recording two" ] || failed "lesson.avi was not replaced"
  [ ! -e "$work/second.avi" ] || failed "the second temporary recording is still there"
fi

# 3. Cancel deletes the recording.
if open_dialog third.avi "recording three"; then
  xdotool key Escape
  finish_probe
  [ ! -e "$work/third.avi" ] || failed "a cancelled recording was kept"
  [ "$(cat "$work/lesson.avi" 2>/dev/null)" = "recording two" ] || failed "cancel touched lesson.avi"
fi

[ $fail -eq 0 ] && echo "save dialog: typed name saved as .avi, overwrite asked, cancel deleted"
exit $fail
