#!/usr/bin/env bash
# bench/wine_first_sound.sh [runs]
# The time from the answer to the append question to the program's capture
# stream on the sound server, under Wine: the Windows build's zip unpacked
# into a fresh folder, started on a private display with a private server,
# the record button pressed without choosing a source first. Prints one
# figure per run. Needs build-windows (tools/windows/build.sh).
# ORNAVOX_BENCH_MANAGED=1 keeps Wine's window management, and its wait.
set -euo pipefail
if [ -z "${ORNAVOX_BENCH_SERVER:-}" ]; then
  export ORNAVOX_BENCH_SERVER=1
  cd "$(dirname "$0")/.."
  export WINEPREFIX=$PWD/build-windows/wineprefix WINEDEBUG=-all
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$display_file")"
  rm -f "$display_file"
  # On a display without a window manager Wine waits 2 s for a closed
  # message box to be withdrawn, inside MessageBox, before the program goes
  # on: the run leaves Wine's windows unmanaged, as no desktop shows that.
  x11='HKCU\Software\Wine\X11 Driver'
  [ -n "${ORNAVOX_BENCH_MANAGED:-}" ] || timeout 60 wine reg add "$x11" /v Managed /d N /f >/dev/null 2>&1
  trap 'timeout 60 wine reg delete "$x11" /v Managed /f >/dev/null 2>&1; kill $xvfb 2>/dev/null' EXIT
  tools/windows/with_sound_server.sh "$0" "$@"
  exit
fi
source tools/wait_for.sh
runs=${1:-3}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
now_ms() { date +%s%3N; }
for run in $(seq "$runs"); do
  rm -rf "$folder/ornavox"
  (cd "$folder" && cmake -E tar xf "$OLDPWD/build-windows/ornavox-windows-x64.zip")
  wine "$folder/ornavox/ornavox.exe" >"$folder/wine.log" 2>&1 &
  program=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^skinForm$' | head -n1)
  sleep 1
  xdotool mousemove --window "$window" 205 106 click 1
  question=$(timeout 20 xdotool search --sync --onlyvisible --name "MP3 File already exists" | head -n1)
  xdotool windowfocus --sync "$question"
  pressed=$(now_ms)
  xdotool key Return
  wait_for 15 recording
  echo "run $run: capture stream on the server $(($(now_ms) - pressed)) ms after the answer"
  xdotool mousemove --window "$window" 256 105 click 1
  sleep 1
  xdotool mousemove --window "$window" 335 14 click 1
  timeout 20 tail --pid="$program" -f /dev/null || kill "$program"
done
