#!/usr/bin/env bash
# The skinned windows on a monitor scaled to 150 %: a Wine prefix of the
# test's own with LogPixels 144 (Wine then reports 144 dpi), each skin shown
# as the program shows it. Each window must be 1.5 times its 96-dpi size
# (within a pixel or two) and exactly what the layout tool computes for
# 144 dpi, and a real click where the layout tool puts a control at that
# scale must hit it. Screenshots for a person to look at (text not clipped,
# pictures sharp), in build/<preset>/e2e/<test>/.
#
#   uilib_dpi.sh
set -uo pipefail
source "$(dirname "$0")/uilib_lib.sh"

# A prefix of its own, copied from the template, so the session's keeps 96 dpi.
prefix_at_dpi "$out/prefix-144" 144 || fail "no prefix of the test's own"

near() { local d=$(($1 - $2)); [ "${d#-}" -le 2 ]; }

# check <name> <skin> <control to click or -> <colour it must show> [viewer options...]
check() {
  local name=$1 skin=$2 control=$3 expect=$4 lines w96 h96 w144 h144 l t r b got
  shift 4
  viewer_show "$skin" "$@" || return
  # The 96-dpi size as the skin declares it; the rest from one layout run.
  IFS=, read -r w96 h96 <<<"$(grep -o '<Window [^>]*size="[0-9]*,[0-9]*"' "$tests/skin/$skin" | grep -o 'size="[0-9,]*"' | tr -d 'size="')"
  lines=$(layout "$skin" 144)
  read -r _ w144 h144 <<<"$(grep '^window' <<<"$lines")"
  if [ "${WIDTH}x${HEIGHT}" != "${w144}x${h144}" ] || ! near "$WIDTH" $((w96 * 3 / 2)) ||
     ! near "$HEIGHT" $((h96 * 3 / 2)); then
    failed "$name: ${WIDTH}x${HEIGHT} at 144 dpi; 96 dpi ${w96}x${h96}, tool ${w144}x${h144}"
  else
    echo "ok   $name: ${WIDTH}x${HEIGHT} at 144 dpi (${w96}x${h96} at 96)"
  fi
  if [ "$control" != - ]; then
    read -r l t r b <<<"$(rect "$lines" "$control")"
    xdotool mousemove --window "$viewer_window" $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 0.4; xdotool mousemove 0 0; sleep 0.5
    got=$(screen_pixel $((X + l + 9)) $((Y + t + 10)))
    if [ "$got" = "$expect" ]; then echo "ok   $name: $control clicked at its 144-dpi place: $got"
    else failed "$name: $control at its 144-dpi place shows $got, expected $expect"; fi
  fi
  viewer_shot "$name"
  viewer_close "$skin"
}

check startup-144 startup.xml optionVideoQualityGood '#EFF6FF' --hide btnSoundXP,txtAudioXP --select optionAudioMix
check ready-144 ready.xml - -
check status-144 status.xml - - --text timeText=01:23:45
check process-144 process.xml - -
check tip-144 TSSkin.xml - -

[ "$failures" -eq 0 ]
