#!/usr/bin/env bash
# Builds the tests that use the real sound server with ThreadSanitizer and
# runs them on the PulseAudio daemon and on a private PipeWire stack. Fails on
# any report outside the suppressions in tests/tsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}" "${ORNAVOX_TEST_PACKAGES[@]}"
targets=(pulse_session_test pulse_capture_test capture_device_contract_test pulse_mixer_test pulse_player_test
         pulse_stress_test)
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DORNAVOX_TSAN=ON -DORNAVOX_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${targets[@]}" lame_enc
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=0 exitcode=66 second_deadlock_stack=1"
status=0
for server in pulseaudio pipewire; do
  for test in "${targets[@]}"; do
    echo "== $test on $server"
    # A failed test gets a second run, as in test.sh, but a race report
    # (exit code 66) fails at once.
    code=0
    ORNAVOX_TEST_SERVER=$server build-tsan/tests-bin/"$test" --gtest_brief=1 || code=$?
    if [ "$code" -ne 0 ] && [ "$code" -ne 66 ]; then
      code=0
      ORNAVOX_TEST_SERVER=$server build-tsan/tests-bin/"$test" --gtest_brief=1 || code=$?
    fi
    [ "$code" -eq 0 ] || status=1
  done
done
exit $status
