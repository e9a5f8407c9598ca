#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every test: installs what the tests need, builds everything (tests, benchmarks,
# man page), runs the unit tests (ctest), then every stage of scripts/test.d (install
# tree and Debian package, browser, desktop, fuzzing, sanitizers). Exits non-zero on
# any failure.
#   scripts/test.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" test

# Each fuzz target runs this long in the test command (scripts/fuzz-long.sh runs longer).
export KAVLO_FUZZ_SECONDS="${KAVLO_FUZZ_SECONDS:-30}"

status=0
step() { echo; echo "=== $* ==="; }

step "Build"
"$root/scripts/build.sh" "$root/build"

step "Unit tests"
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)" --timeout 600) || status=1

for extra in "$root"/scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  step "$(basename "$extra" .sh)"
  bash "$extra" "$root" || status=1
done

if [ $status -ne 0 ]; then echo "Some tests FAILED"; else echo "All tests passed"; fi
exit $status
