#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# ThreadSanitizer run of the threaded parts: the album editor's thumbnail producer
# (its tests and the Qt album editor's), the decoders side by side on threads, the
# watermark renderer on threads, and the generation run (which processes images on
# worker threads when it does). Not part of the test command: it builds a whole
# second configuration. Any data race or lock-order report fails.
#   scripts/tsan.sh            build build-tsan and run the threaded tests
#   scripts/tsan.sh FILTER     run only the gtest cases matching FILTER
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KAVLO_TSAN_BUILD:-$ROOT/build-tsan}
FILTER=${1:-}

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVLO_TSAN=ON \
  -DKAVLO_BUILD_BENCH=OFF -DKAVLO_BUILD_FUZZERS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target ui_tests imaging_tests core_tests \
  $( [ -f "$ROOT/tests/qt/CMakeLists.txt" ] && echo qt_tests )

# Qt's own locks are futexes that ThreadSanitizer cannot see in the uninstrumented
# Debian libraries, so a cross-thread QMetaObject::invokeMethod (the producer's wake-up
# of the editor window, Qt's own pooled threads) shows up as a race inside Qt. Reports
# with a frame in the Qt libraries are suppressed;
# the producer and the editor logic are checked without Qt in ui_tests.
supp="$BUILD/tsan.supp"
printf 'race:libQt6Core.so\nrace:libQt6Gui.so\nrace:libQt6Widgets.so\n' > "$supp"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:history_size=4:suppressions=$supp"
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$BUILD/test-output/xdg"
mkdir -p "$XDG_CONFIG_HOME"

status=0
run() {  # run BINARY DEFAULT_FILTER
  local exe="$BUILD/tests/$1" filter="${FILTER:-$2}"
  [ -x "$exe" ] || { echo "missing $exe" >&2; status=1; return; }
  echo "== $1 --gtest_filter=$filter"
  "$exe" --gtest_filter="$filter" || status=1
}
run ui/ui_tests 'ThumbnailProducer.*:Thumbnail.*:Preview.*:AlbumEditor*'
run imaging/imaging_tests '*Thread*:*thread*'
run core/core_tests 'Renderer.*:RunFaultsInProcess.*:*Parallel*'
[ -x "$BUILD/tests/qt/qt_tests" ] && run qt/qt_tests 'AlbumEditor*'
[ "$status" = 0 ] && echo "tsan: no data race found" || echo "tsan: FAILED" >&2
exit "$status"
