#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Short version of scripts/crash.sh (about 30 seconds): album runs of the test photos
# killed at 10 random moments, then the finished album must equal a clean run's byte
# for byte, with no temporary file left.
#   scripts/test.d/45-crash.sh REPO_ROOT
set -euo pipefail
root="$(cd "${1:-$(dirname "$0")/../..}" && pwd)"
exec bash "$root/scripts/crash.sh" "${KAVLO_CRASH_KILLS:-10}"
