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

shot startup startup.xml --select optionAreaFull,optionAudioMix --hide btnSoundXP,txtAudioXP
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
