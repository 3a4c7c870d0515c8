#!/usr/bin/env bash
# Runs a command with a private PulseAudio server on PULSE_SERVER: a null
# sink, the default, with a 440 Hz tone played into it (none with --silent),
# so that a program under Wine records the tone from the sink's monitor. The
# server, the tone and their folder go when the command ends.
set -u
tone_wanted=1
if [ "${1:-}" = --silent ]; then
  tone_wanted=0
  shift
fi
tone=
dir=$(mktemp -d /tmp/ornavox-wine-sound.XXXXXX)
cleanup() {
  # The tone first, so that it does not report the server going.
  [ -n "$tone" ] && kill "$tone" 2>/dev/null && wait "$tone" 2>/dev/null
  kill "$server" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
cat >"$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
load-module module-null-sink sink_name=ornavox_sink sink_properties=device.description=ornavox_sink norewinds=1
set-default-sink ornavox_sink
set-default-source ornavox_sink.monitor
PA
export PULSE_SERVER=unix:$dir/native PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir PULSE_COOKIE=$dir/cookie
# The server gets a session bus of its own that nobody serves, and no display:
# on the caller's bus (or one that D-Bus starts for the tests' display) a
# second server finds its name taken and exits.
DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/bus DISPLAY= pulseaudio -n -F "$dir/server.pa" --daemonize=no --system=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  --realtime=no --high-priority=no --log-target=file:"$dir/server.log" &
server=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
if [ $tone_wanted = 1 ]; then
  sox -q -n -r 44100 -c 2 -e signed -b 16 "$dir/tone.wav" synth 600 sine 440 vol 0.5
  paplay --device=ornavox_sink --client-name=ornavox-tone "$dir/tone.wav" &
  tone=$!
fi
"$@"
