# shellcheck shell=bash
# The test session: a display (Xvfb), Wine prefixes with a persistent
# wineserver each, and a private PulseAudio sound server; and the few helpers
# every test script uses (fail, note, step, on_exit, now, since, winpath). Sourced
# by scripts/test, scripts/demo, the benchmarks, the end-to-end scripts and
# cmake/wine-run.
#
# A session lives in a folder of its own and has two prefixes, copied from
# booted templates: a 64-bit one (as on the 64-bit Windows most schools
# have) and a 32-bit one (WINEARCH=win32, as on a 32-bit Windows 7). A test
# runs in the 64-bit one unless TAVRIX_WINEARCH=win32 asks for the other.
#
# scripts/test starts a few sessions ("slots") before ctest runs and lists
# them in a ctest resource file; ctest hands each test one of them
# (CTEST_RESOURCE_GROUP_0_SESSION) and runs tests of different slots side by
# side. A script run by hand starts a session of its own.
#
#   session_enter [DIR]        the session ctest gave this test, or the one the
#                              caller set up, else a new one under DIR (stopped
#                              when the script ends)
#   session_start DIR          a new session under DIR; its settings go to DIR/env
#   session_load DIR           exports the settings of the session in DIR
#   session_stop DIR           stops what session_start started in DIR
#   prefix_template ARCH       a booted prefix (win64 or win32), made once and
#                              kept under $TAVRIX_TEMPLATES; prints its folder
#   prefix_copy TEMPLATE DIR   a copy of a template (about a second)
#   prefix_at_dpi DIR DPI      a prefix of the script's own at that scaling
#   display_start [WxH]        an Xvfb display (DISPLAY), stopped on exit
#   sound_use                  exports what Wine and the Pulse tools need to
#                              reach the session's sound server: only the tests
#                              that want sound do so, the others see no sound
#                              device at all
#
# Nothing here touches a system-wide sound server or display.

tavrix_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The 32-bit loader runs 32-bit programs in either prefix, and 64-bit ones in
# a 64-bit prefix (it hands them to wine64); the product is 32-bit.
wine=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
: "${TAVRIX_TEMPLATES:=$tavrix_root/build/wine-templates}"

# The private sound server's playback device, and its monitor: what Wine
# lists as a capture endpoint and the encoder records in place of the
# speakers (Wine refuses loopback capture). The description is given on the
# module line, so no locale renames it (PulseAudio translates its default
# "Null Output"); the monitor is named after it.
tavrix_speaker_sink=speakers
tavrix_speaker_description=Speakers
tavrix_speaker_monitor="Monitor of $tavrix_speaker_description"

# ---- helpers for every script

# on_exit COMMAND: runs COMMAND when the script ends, the last added first.
tavrix_exit_actions=()
on_exit() {
  tavrix_exit_actions=("$1" "${tavrix_exit_actions[@]}")
  trap tavrix_run_exit_actions EXIT
}
tavrix_run_exit_actions() {
  local action
  set +e
  trap - EXIT
  for action in "${tavrix_exit_actions[@]}"; do eval "$action"; done
  tavrix_exit_actions=()
}

# on_fail COMMAND: runs COMMAND when fail is called, before the script ends
# (a screenshot, a log's tail).
tavrix_fail_actions=()
on_fail() { tavrix_fail_actions+=("$1"); }

# fail MESSAGE: says why the test failed, shows what on_fail adds, ends it.
fail() {
  echo "FAIL${case_name:+ [$case_name]}: $*"
  local action
  for action in "${tavrix_fail_actions[@]}"; do eval "$action"; done
  exit 1
}
note() { echo "[${case_name:-$(basename "$0" .sh)}] $*"; }
# step WHAT: announces the next step, with the seconds the script has run.
step() { echo "== $* ($SECONDS s)"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
# The Windows path of a file of this machine.
winpath() { echo "Z:${1//\//\\}"; }

# The build whose programs the tests run: the product's unless TAVRIX_BIN
# names another build's bin/ folder.
product_bin=${TAVRIX_BIN:-$tavrix_root/build/win32/bin}

# test_folder NAME: prints a fresh folder of the test's own, under the
# build's e2e/ folder, named after its ctest name (else NAME): tests that
# run side by side never share one.
test_folder() {
  local dir
  dir=$(cd "$product_bin/.." && pwd)/e2e/${TAVRIX_TEST_NAME:-$1}
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# detach: closes every descriptor of this (sub)shell above 2 but the one
# bash reads its script from. A daemon started from a subshell that called
# it holds none of the caller's pipes or locks: a server that kept the write
# end of a $(...) or of ctest's output pipe would make that wait for as long
# as the server lives.
detach() {
  local fd
  for fd in /proc/$BASHPID/fd/*; do
    fd=${fd##*/}
    [ "$fd" -gt 2 ] && [ "$fd" -ne 255 ] && eval "exec $fd>&-"
  done
  return 0
}

# ---- the display

# xvfb_start [WxH]: starts an Xvfb; DISPLAY names it, tavrix_xvfb_pid is its process.
xvfb_start() {
  local file
  file=$(mktemp)
  (detach; exec Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp 3>"$file" </dev/null >/dev/null 2>&1) &
  tavrix_xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.05; done
  [ -s "$file" ] || { rm -f "$file"; kill "$tavrix_xvfb_pid" 2>/dev/null; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(cat "$file")
  rm -f "$file"
}
# display_start [WxH]: an Xvfb of this script's own, stopped when it ends.
display_start() {
  xvfb_start "$@" || return 1
  tavrix_own_display_pid=$tavrix_xvfb_pid
  on_exit 'kill $tavrix_own_display_pid 2>/dev/null'
}

# screen_pixel <x> <y>: the X screen's colour there as "#RRGGBB".
screen_pixel() {
  convert x:root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}

# ---- Wine

# Quiet Wine, the users' Chinese locale (code page 936), no Mono or Gecko
# installer, and no menu entries of this machine made from shortcuts.
wine_environment() {
  export WINEDEBUG=${WINEDEBUG:--all}
  export LANG=${TAVRIX_LANG:-zh_CN.UTF-8}
  export LC_ALL=$LANG
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
}

# prefix_use DIR: Wine works in that prefix from now on (WINEPREFIX, WINEARCH).
prefix_use() {
  export WINEPREFIX=$1
  if grep -q '^#arch=win32' "$1/system.reg" 2>/dev/null; then export WINEARCH=win32; else unset WINEARCH; fi
}

# prefix_template ARCH: prints the folder of a booted prefix of that
# architecture, made once (a wineboot costs 15 to 20 s) and kept until Wine
# changes. Safe to call from parallel scripts: one makes it, the others wait.
prefix_template() {
  local arch=$1 dir=$TAVRIX_TEMPLATES/$1 stamp loader=$wine64
  [ "$arch" = win32 ] && loader=$wine
  stamp="$arch $("$wine64" --version 2>/dev/null)"
  mkdir -p "$TAVRIX_TEMPLATES"
  (
    flock 9
    [ "$(cat "$dir/.tavrix-template" 2>/dev/null)" = "$stamp" ] && exit 0
    rm -rf "$dir" "$dir.making"
    # Without a display of its own wineboot would look for one and wait.
    xvfb_start || exit 1
    export WINEPREFIX=$dir.making WINEARCH=$arch
    wine_environment
    (detach; "$loader" wineboot -i) </dev/null >/dev/null 2>&1
    "$wineserver" -w
    kill "$tavrix_xvfb_pid" 2>/dev/null
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no $arch prefix" >&2; exit 1; }
    echo "$stamp" >"$WINEPREFIX/.tavrix-template"
    mv "$WINEPREFIX" "$dir"
  ) 9>"$TAVRIX_TEMPLATES/.lock-$arch" >&2 || return 1
  echo "$dir"
}

# prefix_copy TEMPLATE DIR: a prefix of its own from a template. The programs
# and libraries (most of the 1.3 GB) are hard links, which nothing changes;
# every other file (the registry, the configuration) is a copy of its own.
prefix_copy() {
  rm -rf "$2"
  cp -al "$1" "$2" || return 1
  find "$2" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx' \
    -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.ds' -o -iname '*.ttf' \) \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' sh {} +
}

# prefix_serve DIR: a persistent wineserver for the prefix, and Wine's own
# services started (wineboot). Neither may hold this shell's output: under
# ctest that is the test's pipe, which ctest waits on until every process
# holding it has gone (a server or a service started by the first program a
# test runs would hold it for as long as they live).
prefix_serve() {
  (
    detach
    prefix_use "$1"
    "$wineserver" -p
    if [ "${WINEARCH:-}" = win32 ]; then "$wine" wineboot; else "$wine64" wineboot; fi
  ) </dev/null >/dev/null 2>&1
}
prefix_stop() { WINEPREFIX=$1 "$wineserver" -k 2>/dev/null; true; }

# prefix_at_dpi DIR DPI: a prefix of the script's own, copied from the 64-bit
# template, in which Wine reports DPI (LogPixels; Wine reads it when its
# server starts), served on the current display (a prefix keeps the monitors
# of the display its server started on) and stopped when the script ends.
prefix_at_dpi() {
  prefix_copy "$(prefix_template win64)" "$1" || return 1
  prefix_use "$1"
  on_exit "prefix_stop $(printf %q "$1")"
  if [ "$2" != 96 ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f </dev/null >/dev/null 2>&1
    "$wineserver" -k
    "$wineserver" -w
  fi
  prefix_serve "$1"
}

# wine_loader EXE: the loader for that program (a 64-bit one in a 64-bit
# prefix also runs under the 32-bit loader, which hands it on).
wine_loader() {
  case $(file -b "$1" 2>/dev/null) in
    PE32+*) echo "$wine64" ;;
    *) echo "$wine" ;;
  esac
}

# expected_core BIN: the encoder core the adapter in BIN must take in this
# prefix: the 64-bit one on 64-bit Windows, where the product ships it beside
# the 32-bit one, and the 32-bit one on a 32-bit Windows.
expected_core() {
  if [ "${WINEARCH:-win64}" != win32 ] && [ -f "$1/ffmpeg-core-x64.exe" ]; then echo ffmpeg-core-x64.exe
  else echo ffmpeg-core.exe; fi
}

# ---- the sound server

# sound_start DIR: a private PulseAudio server with its runtime folder and
# home under DIR and one null sink, the speakers; exports TAVRIX_SOUND_DIR
# and TAVRIX_SPEAKER_ENDPOINT.
sound_start() {
  local dir=$1 found
  rm -rf "$dir"
  mkdir -p "$dir/run" "$dir/home"
  chmod 700 "$dir/run"
  printf 'autospawn = no\n' >"$dir/client.conf"
  # As root the daemon warns that it is not meant for root; it runs all the
  # same. Started in the C locale as well: nothing it names is translated.
  (
    detach
    LC_ALL=C LANG=C XDG_RUNTIME_DIR=$dir/run HOME=$dir/home exec pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
      --use-pid-file=yes \
      -L "module-null-sink sink_name=$tavrix_speaker_sink sink_properties=device.description=$tavrix_speaker_description" \
      -L "module-native-protocol-unix auth-anonymous=1" \
      --log-target="file:$dir/pulseaudio.log"
  ) </dev/null >"$dir/pulseaudio.out" 2>&1 ||
    { cat "$dir/pulseaudio.out" >&2; echo "the sound server did not start" >&2; return 1; }
  export TAVRIX_SOUND_DIR=$dir
  for _ in $(seq 100); do (sound_use) && break; sleep 0.05; done
  (sound_use) || { echo "the sound server does not answer" >&2; return 1; }
  found=$(sound_use && LC_ALL=C pactl list sources | sed -n "s/^[[:space:]]*Description: \(Monitor of .*\)$/\1/p" | head -1)
  [ "$found" = "$tavrix_speaker_monitor" ] ||
    { echo "the sound server calls the speakers' monitor '$found', not '$tavrix_speaker_monitor'" >&2; return 1; }
  export TAVRIX_SPEAKER_ENDPOINT=$tavrix_speaker_monitor
}

sound_use() {
  [ -n "${TAVRIX_SOUND_DIR:-}" ] || return 1
  export XDG_RUNTIME_DIR=$TAVRIX_SOUND_DIR/run PULSE_CLIENTCONFIG=$TAVRIX_SOUND_DIR/client.conf
  export PULSE_SERVER=unix:$TAVRIX_SOUND_DIR/run/pulse/native
  pactl info >/dev/null 2>&1
}

sound_stop() {
  XDG_RUNTIME_DIR=$1/run HOME=$1/home pulseaudio --kill 2>/dev/null
  true
}

# ---- sessions

# session_start DIR: a display, the two prefixes and a sound server, all
# under DIR; writes DIR/env for session_load. The pieces outlive this shell:
# session_stop DIR ends them.
session_start() {
  local dir=$1 t64 t32
  t64=$(prefix_template win64) && t32=$(prefix_template win32) || return 1
  rm -rf "$dir"
  mkdir -p "$dir"
  (
    # Everything started here outlives this shell, until session_stop.
    xvfb_start || exit 1
    echo "$tavrix_xvfb_pid" >"$dir/xvfb.pid"
    sound_start "$dir/sound" || exit 1
    prefix_copy "$t64" "$dir/prefix64" && prefix_copy "$t32" "$dir/prefix32" || exit 1
    wine_environment
    prefix_serve "$dir/prefix64" && prefix_serve "$dir/prefix32" || exit 1
    {
      printf 'export %s=%q\n' DISPLAY "$DISPLAY" TAVRIX_SESSION_DIR "$dir" TAVRIX_SOUND_DIR "$TAVRIX_SOUND_DIR" \
        TAVRIX_SPEAKER_ENDPOINT "$TAVRIX_SPEAKER_ENDPOINT" TAVRIX_TEMPLATES "$TAVRIX_TEMPLATES" \
        TAVRIX_PREFIX64 "$dir/prefix64" TAVRIX_PREFIX32 "$dir/prefix32"
    } >"$dir/env"
  ) || { session_stop "$dir"; return 1; }
}

# session_load DIR: the session's display, sound server and prefix (the
# 32-bit one when TAVRIX_WINEARCH=win32).
session_load() {
  # shellcheck disable=SC1091
  source "$1/env" || return 1
  wine_environment
  if [ "${TAVRIX_WINEARCH:-win64}" = win32 ]; then prefix_use "$TAVRIX_PREFIX32"; else prefix_use "$TAVRIX_PREFIX64"; fi
}

session_stop() {
  local dir=$1
  [ -d "$dir" ] || return 0
  prefix_stop "$dir/prefix64"
  prefix_stop "$dir/prefix32"
  [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  sound_stop "$dir/sound"
  rm -f "$dir/xvfb.pid"
}

# The session ctest allocated to this test: "id:N,slots:1".
session_slot() {
  local group=${CTEST_RESOURCE_GROUP_0_SESSION:-}
  [ -n "$group" ] && [ -n "${TAVRIX_SESSIONS:-}" ] || return 1
  group=${group#id:}
  echo "$TAVRIX_SESSIONS/${group%%,*}"
}

# session_enter [DIR]: see the top of this file.
session_enter() {
  local slot
  if slot=$(session_slot); then
    session_load "$slot"
    # What the test left running in the prefix (a program, an encoder, a
    # window) must not meet the next test of this session: the prefix's
    # processes are ended, and its server and services started anew.
    tavrix_slot_prefix=$WINEPREFIX
    on_exit 'prefix_stop "$tavrix_slot_prefix"; WINEPREFIX=$tavrix_slot_prefix "$wineserver" -w; prefix_serve "$tavrix_slot_prefix"'
  elif [ -n "${TAVRIX_SESSION_DIR:-}" ] && [ -f "$TAVRIX_SESSION_DIR/env" ]; then
    session_load "$TAVRIX_SESSION_DIR"
  else
    local dir=${1:-$tavrix_root/build/session-$$}
    echo "starting a test session in $dir (display, prefixes, sound server)" >&2
    session_start "$dir" || return 1
    tavrix_own_session=$dir
    on_exit 'session_stop "$tavrix_own_session"; rm -rf "$tavrix_own_session"'
    session_load "$dir"
  fi
}
