#!/usr/bin/env bash
# The skinned windows on a monitor scaled to 150 %: a private Wine prefix
# with LogPixels 144 (Wine then reports 144 dpi), each skin shown as the
# program shows it. Each window must be 1.5 times its 96-dpi size (within a
# pixel or two) and exactly what the layout tool computes for 144 dpi, and a
# real click where the layout tool puts a control at that scale must hit it.
# Screenshots for a person to look at (text not clipped, pictures sharp).
#
#   uilib_dpi.sh <bin/tests folder> <screenshot folder>
set -uo pipefail
tests=$1
out=$2
mkdir -p "$out"
out=$(cd "$out" && pwd)
wine=/usr/lib/wine/wine64
failures=0

# A prefix of its own, so the shared one of the other tests keeps 96 dpi.
export WINEPREFIX=$out/wineprefix-144
if [ ! -f "$WINEPREFIX/.dpi144" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  /usr/lib/wine/wineserver64 -k
  /usr/lib/wine/wineserver64 -w
  [ -d "$WINEPREFIX/drive_c" ] || { echo "FAIL: no Wine prefix at 144 dpi"; exit 1; }
  touch "$WINEPREFIX/.dpi144"
fi
/usr/lib/wine/wineserver64 -p
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null' EXIT

layout() {  # layout <skin> <dpi>: the layout tool's lines
  (cd "$tests" && "$wine" skin_layout.exe "$1" --dpi "$2" 2>/dev/null) | tr -d '\r'
}
pixel() {
  convert x:root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}
near() { local d=$(($1 - $2)); [ "${d#-}" -le 2 ]; }

# check <name> <skin> [click control expect] -- viewer options
check() {
  local name=$1 skin=$2 control=$3 expect=$4; shift 4
  (cd "$tests" && exec "$wine" skin_view.exe "$skin" --seconds 30 "$@") >/dev/null 2>&1 &
  local viewer=$! id=""
  # A loaded machine can take a while to start the viewer: up to a minute.
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^${skin//./\\.}\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "FAIL $name: no window"; failures=$((failures + 1)); kill "$viewer" 2>/dev/null; return
  fi
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # The 96-dpi size as the skin declares it; the rest from one layout run.
  local lines w96 h96 w144 h144
  IFS=, read -r w96 h96 <<<"$(grep -o '<Window [^>]*size="[0-9]*,[0-9]*"' "$tests/skin/$skin" | grep -o 'size="[0-9,]*"' | tr -d 'size="')"
  lines=$(layout "$skin" 144)
  read -r _ w144 h144 <<<"$(grep '^window' <<<"$lines")"
  if [ "${WIDTH}x${HEIGHT}" != "${w144}x${h144}" ] || ! near "$WIDTH" $((w96 * 3 / 2)) ||
     ! near "$HEIGHT" $((h96 * 3 / 2)); then
    echo "FAIL $name: ${WIDTH}x${HEIGHT} at 144 dpi; 96 dpi ${w96}x${h96}, tool ${w144}x${h144}"
    failures=$((failures + 1))
  else
    echo "ok   $name: ${WIDTH}x${HEIGHT} at 144 dpi (${w96}x${h96} at 96)"
  fi
  if [ "$control" != - ]; then
    local l t r b
    read -r l t r b <<<"$(awk -v n="$control" '$1 == "control" && $2 == n {print $4, $5, $6, $7}' <<<"$lines")"
    xdotool mousemove --window "$id" $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 0.4; xdotool mousemove 0 0; sleep 0.5
    local got; got=$(pixel $((X + l + 9)) $((Y + t + 10)))
    if [ "$got" = "$expect" ]; then echo "ok   $name: $control clicked at its 144-dpi place: $got"
    else echo "FAIL $name: $control at its 144-dpi place shows $got, expected $expect"; failures=$((failures + 1)); fi
  fi
  import -window root "$out/$name-screen.png"
  convert "$out/$name-screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$name.png"
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${skin//./\\.}\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
}

check startup-144 startup.xml optionVideoQualityGood '#EFF6FF' --hide btnSoundXP,txtAudioXP --select optionAudioMix
check ready-144 ready.xml - -
check status-144 status.xml - - --text timeText=01:23:45
check process-144 process.xml - -
check tip-144 TSSkin.xml - -

[ "$failures" -eq 0 ]
