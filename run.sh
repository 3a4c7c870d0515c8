#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the recorder.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DORNAVOX_TESTS=OFF -DORNAVOX_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)"
exec build-release/ornavox/ornavox "$@"
