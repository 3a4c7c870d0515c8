#!/usr/bin/env bash
# tools/demo.sh <build folder> [<installed launcher>]
# Shows the recorder's main job where there is no desktop to show it on: a
# private X display and a private sound server playing a 440 Hz test tone, both
# removed at the end; the built program run from a fresh copy of its folder
# (<build>/demo/program); about three seconds recorded through the global
# hotkeys, played back with the play button, and the program quit with its quit
# button. Leaves the MP3, Config.ini and two screenshots under <build>/demo.
# Given an installed launcher (bin/ornavox of an installed tree), runs that
# instead, for a private user whose home is <build>/demo-installed/home: the
# settings and the recording must land in that user's folders, and nothing in
# the program folder.
set -euo pipefail
build=$(cd "$1" && pwd)
launcher=${2:+$(readlink -f "$2")}
out="$build/demo${launcher:+-installed}"
tools="$build/tools-bin"
work=$(mktemp -d)
program_pid= xvfb_pid= pulse_pid=

cleanup() {
  for pid in $program_pid $pulse_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "demo: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

source "$(dirname "$0")/wait_for.sh"

# The player's stream; the test tone's has no client ("-").
playing() { pactl list short sink-inputs | awk '$3 != "-"' | grep -q .; }

# A session without a runtime folder (a container, CI) gets one of its own.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  mkdir -m 700 "$work/runtime"
  export XDG_RUNTIME_DIR="$work/runtime"
fi

rm -rf "$out"
mkdir -p "$out"
if [ -n "$launcher" ]; then
  program_dir="$(dirname "$launcher")/../lib/ornavox"
  [ -x "$program_dir/ornavox" ] || fail "no program folder beside $launcher"
  export HOME="$out/home" XDG_CONFIG_HOME="$out/home/config"
  mkdir -p "$HOME"
  settings="$XDG_CONFIG_HOME/ornavox/Config.ini" recording_file="$HOME/save.mp3"
else
  cp -r "$build/ornavox" "$out/program"
  rm -f "$out/program/Config.ini" "$out/program/save.mp3"
  program_dir="$out/program" launcher="$out/program/ornavox"
  settings="$out/program/Config.ini" recording_file="$out/program/save.mp3"
fi

# The X display: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || fail "the virtual display did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# The sound server: only the modules below, everything it writes in $work.
# The tone plays into the only sink, whose monitor (what is playing) the
# recorder's first run picks as its record source.
mkdir -p "$work/pulse"
cat >"$work/pulse/server.pa" <<PA
load-module module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1
load-module module-null-sink sink_name=demo_speakers norewinds=1
load-module module-sine sink=demo_speakers frequency=440
set-default-sink demo_speakers
PA
HOME="$work/pulse" XDG_RUNTIME_DIR="$work/pulse" XDG_CONFIG_HOME="$work/pulse" PULSE_RUNTIME_PATH="$work/pulse" \
  PULSE_STATE_PATH="$work/pulse" DBUS_SESSION_BUS_ADDRESS=unix:path="$work/pulse/bus" \
  pulseaudio -n -F "$work/pulse/server.pa" --daemonize=no --system=no --exit-idle-time=-1 --use-pid-file=no \
  --realtime=no --high-priority=no --log-target=stderr 2>"$work/pulseaudio.log" &
pulse_pid=$!
export PULSE_SERVER="unix:$work/pulse/native"
wait_for 20 pactl info || fail "the private sound server did not start"

# The program on X11, so that its hotkeys are X key grabs that xdotool reaches.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export QT_QPA_PLATFORM=xcb
"$launcher" >"$work/ornavox.log" 2>&1 &
program_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$program_pid" | head -n1) ||
  fail "the recorder showed no window"

# Record: Shift+Ctrl+F9, then Yes (append) in the question that follows.
xdotool key shift+ctrl+F9
question=$(timeout 10 xdotool search --sync --onlyvisible --name "MP3 File already exists" | head -n1) ||
  fail "the append question did not come"
timeout 10 xdotool windowfocus --sync "$question" key Return || fail "the append question took no answer"
wait_for 10 recording || fail "recording did not start"
sleep 1.5
"$tools/window_shot" "$window" "$out/recording.png" || fail "no screenshot while recording"
sleep 1.5
xdotool key shift+ctrl+F10
wait_for 10 eval '! recording' || fail "recording did not stop"

# Play with the play button, then wait until the window is Idle again.
xdotool mousemove --window "$window" 231 106 click 1
wait_for 10 playing || fail "playing did not start"
sleep 1
"$tools/window_shot" "$window" "$out/playing.png" || fail "no screenshot while playing"
wait_for 30 eval '! playing' || fail "playing did not end"

# Quit with the quit button; the settings are written on the way out.
xdotool mousemove --window "$window" 335 14 click 1
wait_for 10 test ! -e "/proc/$program_pid" || fail "the recorder did not quit"
wait "$program_pid" || fail "the recorder exited with status $?"
program_pid=
[ -s "$settings" ] || fail "Config.ini was not written to $settings"
if [ "$program_dir" != "$out/program" ]; then
  for file in Config.ini save.mp3; do
    [ ! -e "$program_dir/$file" ] || fail "$file was written into the installed program folder"
  done
fi

read -r seconds hertz < <("$tools/mp3_probe" "$recording_file") || fail "the recording does not decode"
echo "Recorded:  $recording_file ($seconds s decoded, pitch $hertz Hz; the test tone is 440 Hz)"
echo "Pictures:  $out/recording.png (recording), $out/playing.png (playing)"
echo "Settings:  $settings"
