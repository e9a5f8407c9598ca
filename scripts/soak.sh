#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Soak run: a 2,000-photo album generated twice in a row (the second run re-opens the
# album and reuses its images) by the sanitizer build of the terminal front end. Any
# sanitizer report, leak, error message or non-zero exit fails. Not part of the test
# command; it takes a while.
#   scripts/soak.sh [COUNT]       (default 2000 photos)
# Environment: KAVLO_SOAK_BUILD (default build-asan), KAVLO_TESTDATA, TMPDIR.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
COUNT=${1:-2000}
BUILD=${KAVLO_SOAK_BUILD:-$ROOT/build-asan}
TESTDATA=${KAVLO_TESTDATA:-$ROOT/tests/data}

if [ ! -x "$BUILD/app/kavlo" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVLO_SANITIZE=ON \
    -DKAVLO_BUILD_BENCH=OFF >/dev/null
  cmake --build "$BUILD" -j2 --target kavlo kavlo_templates
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kavlo-soak.XXXXXX")
trap 'rm -rf "$work"' EXIT
photos="$work/photos"
mkdir -p "$photos" "$work/xdg"

# The sample photos over and over: hard links where the file system allows, copies
# otherwise (symbolic links are not listed as photos).
mapfile -t sources < <(ls "$TESTDATA"/photos/large/*.jpg "$TESTDATA"/photos/cameras/*.jpg \
                          "$TESTDATA"/photos/orientation/*.jpg 2>/dev/null)
[ ${#sources[@]} -gt 0 ] || { echo "no sample photos under $TESTDATA/photos" >&2; exit 1; }
for ((i = 0; i < COUNT; i++)); do
  src=${sources[$((i % ${#sources[@]}))]}
  dst=$(printf '%s/p%05d.jpg' "$photos" "$i")
  ln "$src" "$dst" 2>/dev/null || cp "$src" "$dst"
done
echo "soak: $COUNT photos from ${#sources[@]} samples in $photos"

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
run() {  # run LABEL FOLDER
  local start=$(date +%s) rc=0
  /usr/bin/time -f "%M" -o "$work/$1.rss" env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/xdg" \
    "$BUILD/app/kavlo" "$2" -Automation --no-gui >"$work/$1.out" 2>"$work/$1.err" || rc=$?
  echo "soak: $1 exit $rc in $(( $(date +%s) - start )) s, peak resident $(( $(tail -1 "$work/$1.rss") / 1024 )) MiB"
  # The progress lines are expected on stderr; anything else is a finding.
  if grep -v -E '^(Remaining time|Total time)' "$work/$1.err" | grep -q .; then
    echo "soak: $1 printed messages:" >&2
    grep -v -E '^(Remaining time|Total time)' "$work/$1.err" | head -40 >&2
    status=1
  fi
  [ "$rc" = 0 ] || status=1
}
run first "$photos"
count=$(ls "$photos/album/medium" | wc -l)
[ "$count" = "$COUNT" ] || { echo "soak: $count main images instead of $COUNT" >&2; status=1; }
run second "$photos/album"
count=$(ls "$photos/album/medium" | wc -l)
[ "$count" = "$COUNT" ] || { echo "soak: $count main images after the second run" >&2; status=1; }
[ "$status" = 0 ] && echo "soak: passed" || echo "soak: FAILED" >&2
exit "$status"
