#!/usr/bin/env bash
# A recording made through the engine (the probe program starting the test
# encoder beside it) is a real AVI: ffprobe reads it, every frame decodes,
# and its length is the recorded time without the pause.
#   engine_recording.sh <folder of the test programs> <folder for artifacts>
set -euo pipefail
bin=$1
artifacts=$2
mkdir -p "$artifacts"
work=$(mktemp -d /tmp/tavrix-e2e-recording.XXXXXX)
trap 'rm -rf "$work"' EXIT
win_work="Z:${work//\//\\}"

# 1.2 s recorded, 1.5 s paused, 1.2 s recorded.
/usr/lib/wine/wine64 "$bin/tavrix_engine_probe.exe" record "$win_work\\lesson.avi" 1200 1500 >"$work/probe.out" 2>&1 ||
  { echo "probe failed:"; cat "$work/probe.out"; exit 1; }
cp "$work/lesson.avi" "$artifacts/engine-recording.avi"

probe=$(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames,nb_read_frames -of default=nw=1 "$work/lesson.avi")
echo "$probe"
field() { echo "$probe" | sed -n "s/^$1=//p"; }
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1 is '$2', expected '$3'"; fail=1; fi; }
check codec "$(field codec_name)" rawvideo
check width "$(field width)" 64
check height "$(field height)" 36
check rate "$(field r_frame_rate)" 10/1
frames=$(field nb_frames)
check "decoded frames" "$(field nb_read_frames)" "$frames"
# 2.4 s asked for at 10 frames a second (a little less, as the encoder starts
# after the clock does; a little more on a loaded machine); the 1.5 s pause
# would add 15 more.
if [ "$frames" -lt 18 ] || [ "$frames" -gt 34 ]; then echo "FAIL: $frames frames, expected about 24"; fail=1; fi
exit $fail
