#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the recorder.
# Without a display or a sound server (a fresh server, a container, CI), or
# with --demo, it runs the demonstration in tools/demo.sh instead.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

demo=
if [ "${1:-}" = "--demo" ]; then
  demo="--demo asks for it"
  shift
elif [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  demo="there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)"
else
  install_missing pulseaudio-utils
  # Asked without starting a server of its own, as a client may do.
  client_config=$(mktemp)
  echo "autospawn = no" >"$client_config"
  PULSE_CLIENTCONFIG=$client_config pactl info >/dev/null 2>&1 || demo="no sound server answers"
  rm -f "$client_config"
fi
[ -n "$demo" ] && echo "Ornavox: running a demonstration on a private display and sound server, since $demo."

if [ -n "$demo" ] && ! installed pulseaudio && installed pipewire-pulse; then
  echo "Ornavox: the demonstration's private sound server is the PulseAudio daemon, which is not installed here;" \
    "installed beside PipeWire it can claim your session's sound socket too, so run.sh leaves it out." \
    "Install the package pulseaudio yourself to run the demonstration on this desktop." >&2
  exit 1
fi
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}"
[ -n "$demo" ] && install_missing "${ORNAVOX_DEMO_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DORNAVOX_TESTS=OFF -DORNAVOX_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)"
[ -n "$demo" ] && exec tools/demo.sh build-release
exec build-release/ornavox/ornavox "$@"
