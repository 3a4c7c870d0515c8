#!/usr/bin/env bash
# Builds the libFuzzer harnesses under tests/fuzz with clang and runs them.
#   tools/fuzz.sh           each harness for 1,000,000 executions (in parallel)
#   tools/fuzz.sh --smoke   replays the committed seeds, then fuzzes each for 10 s
# New inputs go to build-fuzz/corpus/<harness>; a failing input is saved as
# build-fuzz/artifacts/<harness>-crash-* and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}" "${ORNAVOX_TEST_PACKAGES[@]}"

limit=(-runs=1000000)
[ "${1:-}" = "--smoke" ] && limit=(-max_total_time=10)

CXX=clang++ cmake -S tests/fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
# The settings harness saves a file every execution; memory is faster than disk.
[ -w /dev/shm ] && export TMPDIR=/dev/shm

harnesses=(settings shortcut encoder)
declare -A pids
for name in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$name" build-fuzz/artifacts
  build-fuzz/"${name}_fuzz" "${limit[@]}" -max_len=8192 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$name-" "build-fuzz/corpus/$name" "tests/fuzz/corpus/$name" \
    >"build-fuzz/$name.log" 2>&1 &
  pids[$name]=$!
done

status=0
for name in "${harnesses[@]}"; do
  if wait "${pids[$name]}"; then
    printf '%s_fuzz: %s executions, no failure\n' "$name" \
      "$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/$name.log")"
  else
    echo "${name}_fuzz: FAILED; see build-fuzz/$name.log and build-fuzz/artifacts/"
    status=1
  fi
done
exit $status
