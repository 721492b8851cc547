# A private PulseAudio sound server for the tests and the demo, sourced by
# scripts/test and scripts/demo. It has one null sink, "speakers": whatever is
# played into it (paplay --device=speakers, or any Windows program under Wine)
# can be recorded from its monitor, which Wine lists as the audio input
# "Monitor of Null Output" (the other input it lists is "PulseAudio").
#
#   start_sound_server FOLDER   starts it with its runtime folder and home under
#                               FOLDER (reuses the one a calling script started)
#   use_sound_server            exports what Wine and the Pulse tools need to
#                               reach it: only the tests that want sound do so,
#                               the others keep seeing no sound device at all
#   stop_sound_server           stops the server this shell started
#
# Nothing here touches a system-wide sound server: the clients are told where
# the private one is and never spawn one of their own.

tavrix_sound_started=

use_sound_server() {
  [ -n "${TAVRIX_SOUND_DIR:-}" ] || return 1
  export XDG_RUNTIME_DIR=$TAVRIX_SOUND_DIR/run PULSE_CLIENTCONFIG=$TAVRIX_SOUND_DIR/client.conf
  export PULSE_SERVER=unix:$TAVRIX_SOUND_DIR/run/pulse/native
  pactl info >/dev/null 2>&1
}

start_sound_server() {
  if [ -n "${TAVRIX_SOUND_DIR:-}" ] && (use_sound_server); then
    return 0  # started by the script that runs this one
  fi
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir/run" "$dir/home"
  chmod 700 "$dir/run"
  printf 'autospawn = no\n' >"$dir/client.conf"
  # As root the daemon warns that it is not meant for root; it runs all the same.
  XDG_RUNTIME_DIR=$dir/run HOME=$dir/home pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
    -L "module-null-sink sink_name=speakers" -L "module-native-protocol-unix auth-anonymous=1" \
    --log-target="file:$dir/pulseaudio.log" || { echo "the sound server did not start"; return 1; }
  export TAVRIX_SOUND_DIR=$dir
  tavrix_sound_started=$dir
  local _
  for _ in $(seq 50); do (use_sound_server) && return 0; sleep 0.1; done
  echo "the sound server does not answer"
  return 1
}

stop_sound_server() {
  [ -n "$tavrix_sound_started" ] || return 0
  XDG_RUNTIME_DIR=$tavrix_sound_started/run HOME=$tavrix_sound_started/home pulseaudio --kill 2>/dev/null || true
  tavrix_sound_started=
}
