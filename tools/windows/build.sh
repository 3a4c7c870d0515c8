#!/usr/bin/env bash
# tools/windows/build.sh [--test [<folder of window_shot and mp3_probe>]]
# Cross-builds the core, the window's logic, the encoder plug-in
# (lame_enc.dll), the Windows backends, the window, the program and its zip
# (build-windows/ornavox-windows-x64.zip) and the tests into build-windows/
# with mingw-w64. With --test it runs the tests under Wine on a private
# display, then the program as a user would (tools/windows/user_run.sh),
# from the zip and through the installer (build-windows/ornavox-setup-x64.exe),
# with the Linux build's picture and MP3 tools (build-test/tools-bin unless
# given).
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/deps.sh
source tools/windows/deps.sh
install_missing "${ORNAVOX_WINDOWS_PACKAGES[@]}"
windows_libraries

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DORNAVOX_WINDOWS_DEPS="$ORNAVOX_WINDOWS_CACHE/prefix" >/dev/null
cmake --build build-windows -j"$(nproc)"

if [ "${1:-}" = --test ]; then
  linux_tools=${2:-build-test/tools-bin}
  # One Wine server for the whole run, made before the first test so that
  # parallel tests do not race to make the prefix; its output goes to a file.
  export WINEPREFIX=$PWD/build-windows/wineprefix WINEDEBUG=-all
  # No menu entries of Wine's on the caller's desktop for what the installer
  # puts into the Start menu.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d"
  # The display comes first: Wine's desktop process takes the display of the
  # first program of a server's life.
  wineserver -k >/dev/null 2>&1 || true
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>build-windows/xvfb.log &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$display_file")"
  rm -f "$display_file"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot -i >build-windows/wineboot.log 2>&1
    timeout 60 wineserver -w
  fi
  # Wine links the prefix user's Music, Documents and Desktop to the caller's
  # home: the prefix gets folders of its own, so that what the tests record
  # there stays in the build.
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    [ -L "$link" ] && rm "$link" && mkdir "$link"
  done
  # Persistent; one that runs already says so and fails, which is fine.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb_pid 2>/dev/null || true' EXIT
  ctest --test-dir build-windows --output-on-failure --timeout 300 -j2 --repeat until-pass:2
  tools/windows/user_run.sh build-windows "$linux_tools"
  tools/windows/user_run.sh build-windows "$linux_tools" --installer
fi
echo "The Windows part took $SECONDS s."
