#!/usr/bin/env bash
# Sound-to-picture offset of a real recording. The beacon program
# (bin/tests/av_beacon.exe) flashes a white square and starts a 100 ms 1 kHz
# beep at the same instant every 2 s; its beep goes into the private sound
# server's null sink "speakers". The encoder adapter (bin/ffmpeg.exe) records
# with the command line Tavrix gives it for speaker sound, pointed at the
# sink's monitor (TAVRIX_SPEAKER_ENDPOINT, since Wine refuses loopback),
# paused and resumed evenly, finished with "q". In the saved file each flash
# is found by the brightness of the square's area per frame and each beep by
# its onset in the 1 kHz band (5 ms windows), both decoded by the host's
# ffmpeg; each flash is paired with the beep nearest it. Prints every offset
# (sound time less picture time, ms), the first, the last and the largest.
#   encoder_av_sync.sh [SECONDS [PAUSES [LIMIT_MS]]]
#       records SECONDS (120) with PAUSES (10) pauses of 2.5 s; with LIMIT_MS
#       it fails when an offset exceeds it or fewer than one beacon in two
#       is found whole (a pause may fall between a flash and its beep).
#   encoder_av_sync.sh cpu
#       the adapter's own CPU time over 60 s of recording, with speaker sound
#       (the beacon beeping) and without sound.
# Runs in the test session ctest gives it, or in one of its own.
set -uo pipefail
mode=${1:-120}
pauses=${2:-10}
limit=${3:-}
source "$(dirname "$0")/encoder_lib.sh"
sound_use || fail "no private sound server"
beacon_pid=
on_exit '[ -n "$beacon_pid" ] && kill "$beacon_pid" 2>/dev/null'
[ -f "$bin/tests/av_beacon.exe" ] || fail "build the av_beacon target first"
set_capture_area 0 0 160 120  # the top left corner, 10 frames a second

# Starts the beacon for $1 seconds and waits until its window is up.
beacon_start() {
  "$wine" "$bin/tests/av_beacon.exe" "$1" 100 >"$work/beacon.txt" 2>/dev/null &
  beacon_pid=$!
  for _ in $(seq 300); do grep -q '^ready' "$work/beacon.txt" && return 0; sleep 0.05; done
  fail "the beacon did not start: $(cat "$work/beacon.txt")"
}
# Starts the adapter recording into $1 with speaker sound, or without sound
# when $2 is "silent", and waits for its first segment.
adapter_record() {
  if [ "${2:-}" = silent ]; then
    adapter_start "$1" "${quality_normal[@]}"
  else
    adapter_start "$1" "${speakers_input[@]}" "${quality_normal[@]}" "${audio_codec[@]}"
  fi
}
adapter_done() {
  adapter_finish
  [ "$adapter_rc" -eq 0 ] || fail "the adapter exited with $adapter_rc"
}
# CPU seconds (user + system) the adapter's process has used so far.
adapter_cpu() { awk -v t="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$adapter_pid/stat"; }

if [ "$mode" = cpu ]; then
  beacon_start 150
  for kind in speakers silent; do
    adapter_record "$kind.avi" "$kind"
    c0=$(adapter_cpu); t0=$(now)
    sleep 60
    c1=$(adapter_cpu); span=$(since "$t0")
    adapter_done
    awk -v k="$kind" -v c="$(awk -v a="$c0" -v b="$c1" 'BEGIN { print b - a }')" -v s="$span" \
      'BEGIN { printf "adapter CPU, %-8s: %.2f s in %.2f s of recording = %.2f s per minute (%.1f %% of one core)\n", k, c, s, c * 60 / s, c * 100 / s }'
  done
  grep -q 'speakers: captured by the adapter' "$work/speakers.avi.encoder.log" || fail "the speakers were not captured by the adapter"
  rm -rf "$work"
  exit 0
fi

seconds=$mode
pause_s=2.5
segment_s=$(awk -v s="$seconds" -v p="$pauses" 'BEGIN { printf "%.2f", s / (p + 1) }')
beacon_start $((seconds + pauses * 4 + 20))
adapter_record out.avi
expect_core
for n in $(seq "$pauses"); do
  sleep "$segment_s"
  adapter_send p; wait_for_log "segment $n ended"
  sleep "$pause_s"
  adapter_send r; wait_for_log "INFO: segment $((n + 1)): "
done
sleep "$segment_s"
adapter_done
kill "$beacon_pid" 2>/dev/null; beacon_pid=
grep -q 'speakers: captured by the adapter' "$log" || fail "the speakers were not captured by the adapter"
# Each segment's sound is placed by the grabber's own first picture time.
[ "$(grep -c 'first picture .* ms after the gate opened' "$log")" -eq $((pauses + 1)) ] ||
  fail "the core did not give every segment's first picture time: $(grep 'first picture' "$log")"

# Picture: the mean brightness inside the square's area, per frame, "time luma".
ffprobe -v error -f lavfi "movie=$work/out.avi,crop=60:60:20:20,signalstats" \
  -show_entries frame=pts_time:frame_tags=lavfi.signalstats.YAVG -of csv=p=0 |
  awk -F, 'NF >= 2 { print $1, $2 }' >"$work/luma.txt"
# Sound: the 1 kHz band's level in 5 ms windows, "time rms", from the
# sound's own start time in the file.
astart=$(ffprobe -v error -select_streams a -show_entries stream=start_time -of csv=p=0 "$work/out.avi")
ffmpeg -v error -i "$work/out.avi" -vn -af "bandpass=f=1000:width_type=h:w=200" -ac 1 -ar 8000 -f s16le - |
  od -An -td2 -v -w2 |
  awk -v t0="${astart:-0}" '{ s += $1 * $1; n++; if (n == 40) { printf "%.4f %.0f\n", t0 + w * 0.005, sqrt(s / n); w++; s = 0; n = 0 } }' \
  >"$work/level.txt"
[ -s "$work/luma.txt" ] && [ -s "$work/level.txt" ] || fail "the file could not be decoded"

# Flashes: a frame bright where the one before was dark. Beeps: a window
# loud after at least 0.5 s of quiet (the beep lasts 0.1 s, the gap 1.9 s).
awk '$2 > 128 && prev < 64 { print $1 } { prev = $2 }' "$work/luma.txt" >"$work/flashes.txt"
peak=$(sort -k2 -n "$work/level.txt" | tail -1 | cut -d' ' -f2)
awk -v th="$((peak / 4))" '$2 > th { if ($1 - last > 0.5) print $1; last = $1 }' "$work/level.txt" >"$work/beeps.txt"
beacons=$(grep -c '^beacon' "$work/beacon.txt")
echo "beacons shown: $beacons (some fall in pauses); in the file: $(wc -l <"$work/flashes.txt") flashes," \
  "$(wc -l <"$work/beeps.txt") beeps (peak level $peak)"
echo "segments: $(grep -o 'part[0-9]*\.mkv cut at [0-9]* ms' "$log" | sed 's/.*cut at //' | tr '\n' ' ')"

# Each flash with the beep nearest it (within 0.6 s); offsets in ms, sound
# after picture positive. A flash or beep without a partner is reported: a
# pause can fall between the two halves of one beacon.
awk -v limit="$limit" -v expected="$((seconds / 2))" '
  NR == FNR { beep[++nb] = $1; next }
  { flash[++nf] = $1 }
  END {
    for (i = 1; i <= nf; i++) {
      best = 0
      for (j = 1; j <= nb; j++) if (!best || (beep[j] - flash[i]) ^ 2 < (beep[best] - flash[i]) ^ 2) best = j
      if (best && (beep[best] - flash[i]) ^ 2 < 0.36) {
        o = (beep[best] - flash[i]) * 1000; used[best] = 1; pairs++
        printf "flash at %8.3f s, beep at %8.3f s: offset %+5.0f ms\n", flash[i], beep[best], o
        if (pairs == 1) first = o
        last = o; sum += o; if (o * o > worst * worst) worst = o
      } else { printf "flash at %8.3f s: no beep\n", flash[i]; lone++ }
    }
    for (j = 1; j <= nb; j++) if (!used[j]) { printf "beep at %8.3f s: no flash\n", beep[j]; lone++ }
    if (!pairs) { print "no beacon found"; exit 1 }
    printf "pairs %d, unpaired %d; offset first %+.0f ms, last %+.0f ms, mean %+.0f ms, max |offset| %.0f ms, growth first to last %+.0f ms\n",
      pairs, lone, first, last, sum / pairs, worst < 0 ? -worst : worst, last - first
    if (limit != "" && (worst * worst > limit * limit || pairs * 2 < expected)) exit 1
  }' "$work/beeps.txt" "$work/flashes.txt" | tee "$work/offsets.txt"
result=${PIPESTATUS[0]}

# Where each half went: every beacon's instant, laid on the file's time line
# by the segment it fell in and the adapter's own record of when that
# segment's sound began, against where its flash and its beep were found.
# The adapter's log stamps join the clock's whole seconds to the milliseconds
# since its first line, so they stand a fraction of a second (give or take a
# whole one) apart from the beacon's: the figures are per segment, against
# the first segment, the sound's folded into one second. Sound that keeps its place shows
# steady sound figures; a picture that starts earlier or later than the
# adapter expects moves the picture figure.
sec() { awk -F: '{ printf "%.3f\n", $1 * 3600 + $2 * 60 + $3 }'; }
grep -o '^- [0-9:.]* INFO: segment [0-9]*:' "$log" | awk '{ print $2 }' | sec >"$work/starts.txt"
grep -o 'part[0-9]*\.mkv cut at [0-9]* ms' "$log" | sed 's/.*cut at //; s/ ms//' | paste "$work/starts.txt" - >"$work/segments.txt"
awk '/^beacon/ { print $4 }' "$work/beacon.txt" | sec >"$work/instants.txt"
awk '
  FILENAME == ARGV[1] { start[++ns] = $1; cut[ns] = $2 / 1000; next }
  FILENAME == ARGV[2] { t[++nt] = $1; next }
  FILENAME == ARGV[3] { fl[++nf] = $1; next }
  { bp[++nb] = $1 }
  function nearest(list, n, x, within,   i, b) {
    b = 0; for (i = 1; i <= n; i++) if (!b || (list[i] - x) ^ 2 < (list[b] - x) ^ 2) b = i
    return b && (list[b] - x) ^ 2 < within ^ 2 ? list[b] : "none"
  }
  END {
    base = 0; ref = "none"
    for (k = 1; k <= ns; k++) {
      v = 0; a = 0; n = 0
      for (i = 1; i <= nt; i++) {
        if (t[i] < start[k] + 0.2 || t[i] > start[k] + cut[k] - 0.2) continue
        e = base + t[i] - start[k]; beep = nearest(bp, nb, e, 1.0)
        if (beep == "none") continue
        flash = nearest(fl, nf, beep, 0.3)
        if (flash == "none") continue
        da = beep - e
        if (ref == "none") ref = da
        while (da > ref + 0.5) da -= 1
        while (da <= ref - 0.5) da += 1
        v += da + flash - beep; a += da; n++
      }
      if (!n) continue
      if (k == 1 || !seen) { a1 = a / n; v1 = v / n; seen = 1 }
      printf "segment %2d: sound %+4.0f ms, picture %+4.0f ms against the first segment (%d beacons)\n",
        k, (a / n - a1) * 1000, (v / n - v1) * 1000, n
      base += cut[k]
    }
  }' "$work/segments.txt" "$work/instants.txt" "$work/flashes.txt" "$work/beeps.txt"
[ "$result" -eq 0 ] || fail "offsets beyond ${limit:-?} ms or too few beacons found whole (files in $work)"
if [ -n "$limit" ]; then pass; else echo "files in $work"; fi
