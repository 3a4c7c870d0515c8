#!/usr/bin/env bash
# Cross-builds the core, the window's logic, the encoder plug-in
# (lame_enc.dll), the Windows backends and their tests into build-windows/
# with mingw-w64, and with --test runs the tests under Wine.
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
  # One Wine server for the whole run, made before the first test so that
  # parallel tests do not race to make the prefix; its output goes to a file.
  export WINEPREFIX=$PWD/build-windows/wineprefix WINEDEBUG=-all
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot -i >build-windows/wineboot.log 2>&1
    timeout 60 wineserver -w
  fi
  # Persistent; one that runs already says so and fails, which is fine.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  ctest --test-dir build-windows --output-on-failure --timeout 300 -j2 --repeat until-pass:2
fi
