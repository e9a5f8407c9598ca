#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Short version of scripts/crash.sh: album runs killed at 6 random moments on the
# camera test photos, then the finished album must equal a clean run's byte for byte.
#   scripts/test.d/45-crash.sh REPO_ROOT
set -euo pipefail
root="$(cd "${1:-$(dirname "$0")/../..}" && pwd)"
testdata="${KAVLO_TESTDATA:-$root/tests/data}"
exec bash "$root/scripts/crash.sh" "${KAVLO_CRASH_KILLS:-6}" "$testdata/photos/cameras"
