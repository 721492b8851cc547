#!/usr/bin/env bash
# Shows each skin in a window under Xvfb and Wine, the way the program's
# windows show theirs, and saves a screenshot of each for a person to look
# at (in build/<preset>/e2e/<test>/). Checks that each window appears at its
# skin's size and that what it shows is a drawn window (many colours), not
# an empty rectangle; and real input on controls found by name.
#
#   uilib_skin_screenshots.sh
set -uo pipefail
source "$(dirname "$0")/uilib_lib.sh"

# shot <name> <skin file> [viewer options...]; HOVER="x y" puts the pointer there first.
shot() {
  local name=$1 skin=$2 expected colours
  shift 2
  viewer_show "$skin" "$@" || return
  if [ -n "${HOVER:-}" ]; then xdotool mousemove --window "$viewer_window" $HOVER; sleep 0.4; fi
  viewer_shot "$name"
  expected=$(layout "$skin" | awk '/^window/ { print $2 "x" $3 }')
  [ "${WIDTH}x${HEIGHT}" = "$expected" ] || failed "$name: window ${WIDTH}x${HEIGHT}, skin says $expected"
  colours=$(convert "$out/$name.png" -format %k info:)
  if [ "$colours" -lt 20 ]; then
    failed "$name: only $colours colours: nothing drawn?"
  else
    echo "ok   $name: ${WIDTH}x${HEIGHT}, $colours colours -> $out/$name.png"
  fi
  viewer_close "$skin"
}

shot startup startup.xml --select optionAreaFull,optionAudioMix --hide btnSoundXP,txtAudioXP

# Real input on a control found by name: the pointer over the stop button
# lights it, a click on the "good quality" tile selects it.
real_input() {
  local skin=$1 control=$2 action=$3 expect=$4 l t r b got
  shift 4
  viewer_show "$skin" "$@" || return
  read -r l t r b <<<"$(rect "$(layout "$skin")" "$control")"
  if [ -z "${b:-}" ]; then
    failed "$control: no rectangle"
  else
    xdotool mousemove --window "$viewer_window" $(((l + r) / 2)) $(((t + b) / 2))
    sleep 0.3
    [ "$action" = click ] && { xdotool click 1; sleep 0.3; xdotool mousemove 0 0; sleep 0.3; }
    got=$(screen_pixel $((X + l + 6)) $((Y + t + 7)))
    if [ "$got" = "$expect" ]; then echo "ok   $control $action: $got"; else failed "$control $action: $got, expected $expect"; fi
  fi
  viewer_close "$skin"
}
real_input status.xml btnStop hover '#EF4444'
real_input startup.xml optionVideoQualityGood click '#EFF6FF' --hide btnSoundXP,txtAudioXP

# A deselected option is repainted whole: no edge of its selected look (the
# blue border reaches a pixel past the rectangle on the right and bottom) may
# stay behind. 高清 starts selected; a click on 标准 deselects it.
deselect_leaves_no_edge() {
  local lines l t r b nl nt nr nb right bottom
  viewer_show startup.xml --hide btnSoundXP,txtAudioXP --select optionVideoQualityGood,optionAudioMix || return
  lines=$(layout startup.xml)
  read -r l t r b <<<"$(rect "$lines" optionVideoQualityGood)"
  read -r nl nt nr nb <<<"$(rect "$lines" optionVideoQualityNormal)"
  if [ -z "${b:-}" ] || [ -z "${nb:-}" ]; then
    failed "deselect: no rectangle"
  else
    xdotool mousemove --window "$viewer_window" $(((nl + nr) / 2)) $(((nt + nb) / 2)) click 1
    sleep 0.3; xdotool mousemove 0 0; sleep 0.5
    viewer_shot deselected
    right=$(screen_pixel $((X + r)) $((Y + (t + b) / 2)))
    bottom=$(screen_pixel $((X + (l + r) / 2)) $((Y + b)))
    if [ "$right" = "#2563EB" ] || [ "$bottom" = "#2563EB" ]; then
      failed "deselect: blue edge left on 高清: right $right, bottom $bottom"
    else
      echo "ok   deselect: edges $right / $bottom -> $out/deselected.png"
    fi
  fi
  viewer_close startup.xml
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
