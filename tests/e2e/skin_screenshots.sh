#!/usr/bin/env bash
# Shows each skin in a window under Xvfb + wine64, the way the program's
# windows show theirs, and saves a screenshot of each for a person to look
# at. Checks that each window appears at its skin's size and that what it
# shows is a drawn window (many colours), not an empty rectangle.
#
#   skin_screenshots.sh <bin/tests folder> <screenshot folder>
set -uo pipefail
tests=$1
out=$2
mkdir -p "$out"
wine=/usr/lib/wine/wine64
failures=0

# shot <name> <skin file> [viewer options...]
shot() {
  local name=$1 skin=$2; shift 2
  (cd "$tests" && exec "$wine" skin_view.exe "$skin" --seconds 20 "$@") >/dev/null 2>&1 &
  local viewer=$!
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^${skin//./\\.}\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "FAIL $name: no window for $skin"; failures=$((failures + 1))
    kill "$viewer" 2>/dev/null; wait "$viewer" 2>/dev/null
    return
  fi
  sleep 0.8  # let it paint
  if [ -n "${HOVER:-}" ]; then xdotool mousemove --window "$id" $HOVER; sleep 0.4; fi
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root "$out/$name-screen.png"
  convert "$out/$name-screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$name.png"
  local expected
  expected=$(cd "$tests" && "$wine" skin_layout.exe "$skin" 2>/dev/null | awk '/^window/ {print $2 "x" $3}' | tr -d '\r')
  if [ "${WIDTH}x${HEIGHT}" != "$expected" ]; then
    echo "FAIL $name: window ${WIDTH}x${HEIGHT}, skin says $expected"; failures=$((failures + 1))
  fi
  local colours
  colours=$(convert "$out/$name.png" -format %k info:)
  if [ "$colours" -lt 20 ]; then
    echo "FAIL $name: only $colours colours: nothing drawn?"; failures=$((failures + 1))
  else
    echo "ok   $name: ${WIDTH}x${HEIGHT}, $colours colours -> $out/$name.png"
  fi
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  # The viewer's window must be gone before the next one is looked for.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${skin//./\\.}\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
}

# rect <skin> <control>: "left top right bottom" as the layout tool prints it.
rect() {
  (cd "$tests" && "$wine" skin_layout.exe "$1" 2>/dev/null) | tr -d '\r' | awk -v n="$2" '$1 == "control" && $2 == n {print $4, $5, $6, $7}'
}

# pixel <x> <y>: the screen's colour there as "#RRGGBB".
pixel() {
  convert x:root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}

shot startup startup.xml --select optionAreaFull,optionAudioMix --hide btnSoundXP,txtAudioXP

# Real input on a control found by name: the pointer over the stop button
# lights it, a click on the "good quality" tile selects it.
real_input() {
  local skin=$1 control=$2 action=$3 expect=$4; shift 4
  (cd "$tests" && exec "$wine" skin_view.exe "$skin" --seconds 20 "$@") >/dev/null 2>&1 &
  local viewer=$! id="" r
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^${skin//./\\.}\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  read -r l t rr b <<<"$(rect "$skin" "$control")"
  if [ -z "$id" ] || [ -z "${b:-}" ]; then
    echo "FAIL $control: no window or no rectangle"; failures=$((failures + 1))
  else
    sleep 0.6
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove --window "$id" $(((l + rr) / 2)) $(((t + b) / 2))
    sleep 0.3
    [ "$action" = click ] && { xdotool click 1; sleep 0.3; xdotool mousemove 0 0; sleep 0.3; }
    local got
    got=$(pixel $((X + l + 6)) $((Y + t + 7)))
    if [ "$got" = "$expect" ]; then
      echo "ok   $control $action: $got"
    else
      echo "FAIL $control $action: $got, expected $expect"; failures=$((failures + 1))
    fi
  fi
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${skin//./\\.}\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
}
real_input status.xml btnStop hover '#EF4444'
real_input startup.xml optionVideoQualityGood click '#EFF6FF' --hide btnSoundXP,txtAudioXP
# A deselected option is repainted whole: no edge of its selected look (the
# blue border reaches a pixel past the rectangle on the right and bottom) may
# stay behind. 高清 starts selected; a click on 标准 deselects it.
deselect_leaves_no_edge() {
  (cd "$tests" && exec "$wine" skin_view.exe startup.xml --seconds 20 --hide btnSoundXP,txtAudioXP \
     --select optionVideoQualityGood,optionAudioMix) >/dev/null 2>&1 &
  local viewer=$! id="" l t rr b nl nt nr nb
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^startup\.xml$' 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  read -r l t rr b <<<"$(rect startup.xml optionVideoQualityGood)"
  read -r nl nt nr nb <<<"$(rect startup.xml optionVideoQualityNormal)"
  if [ -z "$id" ] || [ -z "${b:-}" ] || [ -z "${nb:-}" ]; then
    echo "FAIL deselect: no window or no rectangle"; failures=$((failures + 1))
  else
    sleep 0.8
    xdotool mousemove --window "$id" $(((nl + nr) / 2)) $(((nt + nb) / 2)) click 1
    sleep 0.3; xdotool mousemove 0 0; sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root "$out/deselected-screen.png"
    convert "$out/deselected-screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/deselected.png"
    local right bottom
    right=$(pixel $((X + rr)) $((Y + (t + b) / 2)))
    bottom=$(pixel $((X + (l + rr) / 2)) $((Y + b)))
    if [ "$right" = "#2563EB" ] || [ "$bottom" = "#2563EB" ]; then
      echo "FAIL deselect: blue edge left on 高清: right $right, bottom $bottom"; failures=$((failures + 1))
    else
      echo "ok   deselect: edges $right / $bottom -> $out/deselected.png"
    fi
  fi
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^startup\.xml$' >/dev/null 2>&1 || break
    sleep 0.1
  done
}
deselect_leaves_no_edge
shot startup-old-system startup.xml --select optionAreaCustom,optionVideoQualityGood \
  --hide optionAudioMix,optionAudioSpeaker,optionAudioMicro
shot startup-sound-off startup.xml --select optionAreaFullWithoutTaskbar,optionAudioMix \
  --hide btnSoundXP,txtAudioXP --disable optionAudioMix,optionAudioSpeaker,optionAudioMicro \
  --unselect checkRecordAudio
shot ready ready.xml
HOVER="340 26" shot status status.xml --text timeText=01:23:45
shot process process.xml --focus resumeBtn
HOVER="300 228" shot tip TSSkin.xml

[ "$failures" -eq 0 ]
