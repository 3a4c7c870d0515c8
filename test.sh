#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}" "${ORNAVOX_TEST_PACKAGES[@]}"
tools/check_format.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DORNAVOX_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A failed test runs once more, for faults of the tools rather than of the
# program: LeakSanitizer's own tracer now and then crashes at a test
# program's exit on this busy two-core machine. A test that fails twice fails
# the run, and --output-on-failure shows the first failure too.
ctest --test-dir build-test --output-on-failure --timeout 600 -j2 --repeat until-pass:2
tools/fuzz.sh --smoke
# The Debian package, checked by Debian's tools and run where it is unpacked
# (and, on a throwaway machine, installed and removed with apt-get).
tools/debian/package.sh --check
# The Windows build: the core, the window's logic and the encoder plug-in
# cross-built with mingw-w64, their tests run under Wine.
tools/windows/build.sh --test
