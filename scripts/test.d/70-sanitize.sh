#!/bin/sh
# SPDX-License-Identifier: MIT
# Sanitizer stage: the whole unit-test suite (Qt views included, drawn off screen)
# built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan, and run
# under ctest. Any memory error, undefined behaviour or leak fails the stage; the
# programs the tests start (the terminal front end) run under the same options.
# Leaks of third-party start-up caches are listed in tests/lsan.supp.
set -eu
ROOT=$(cd "${1:-.}" && pwd)
BUILD="$ROOT/build-asan"
start=$(date +%s)

# -O1 with line tables only: about half the compile time of -O2 -g, and the reports
# still name the file and line.
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
  -DCMAKE_C_FLAGS_SANITIZE="-O1 -g1" -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g1" \
  -DKAVLO_SANITIZE=ON -DKAVLO_BUILD_BENCH=OFF -DKAVLO_BUILD_FUZZERS=OFF >/dev/null
cmake --build "$BUILD" -j2

ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0
LSAN_OPTIONS=suppressions=$ROOT/tests/lsan.supp:print_suppressions=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS QT_QPA_PLATFORM

status=0
ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 900 || status=1
echo "sanitize stage: $(( $(date +%s) - start )) s"
exit "$status"
