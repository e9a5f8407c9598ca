#!/bin/sh
# SPDX-License-Identifier: MIT
# Fuzzing stage: builds every libFuzzer target (tests/fuzz) with clang, ASan and UBSan in
# build-fuzz, and runs each executable named fuzz_* for KAVLO_FUZZ_SECONDS (default 60)
# seconds. Seeds are generated here from the sample photos (the header part of each), by
# make_fuzz_seeds (PNG, WebP, HEIF, AVIF, colour-tagged JPEG files and ICC profiles made
# with the libraries' encoders), plus tests/fuzz/seeds/<target>/ when present. Any crash,
# leak or sanitizer report fails.
set -eu
ROOT=$(cd "${1:-.}" && pwd)
BUILD="$ROOT/build-fuzz"
SECONDS_PER_TARGET=${KAVLO_FUZZ_SECONDS:-60}
TESTDATA=${KAVLO_TESTDATA:-$ROOT/tests/data}

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVLO_BUILD_FUZZERS=ON -DKAVLO_BUILD_QT=OFF -DKAVLO_BUILD_TESTS=OFF -DKAVLO_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target kavlo_fuzzers -j2
made="$BUILD/made-seeds"
rm -rf "$made"
# A tool, not a test: x265 keeps some start-up allocations to the end.
ASAN_OPTIONS=detect_leaks=0 "$BUILD/tests/fuzz/make_fuzz_seeds" "$made"

found=0
failed=0
for exe in "$BUILD"/tests/fuzz/fuzz_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  found=1
  name=$(basename "$exe")
  corpus="$BUILD/corpus/$name"
  seeds="$BUILD/seeds/$name"
  rm -rf "$seeds"
  mkdir -p "$corpus" "$seeds" "$BUILD/artifacts"
  for f in "$TESTDATA"/photos/*/*.jpg; do
    [ -f "$f" ] || continue
    # The metadata lives in the first sections; the seed keeps the header part only.
    head -c 40000 "$f" > "$seeds/$(basename "$f" .jpg).seed"
  done
  if [ -d "$made/$name" ]; then
    cp "$made/$name"/* "$seeds/"
  fi
  if [ -d "$ROOT/tests/fuzz/seeds/$name" ]; then
    cp "$ROOT/tests/fuzz/seeds/$name"/* "$seeds/"
  fi
  echo "== $name: ${SECONDS_PER_TARGET}s"
  # -close_fd_mask=1: the readers' diagnostic lines on stdout are noise here.
  if ! "$exe" -max_total_time="$SECONDS_PER_TARGET" -close_fd_mask=1 -print_final_stats=1 \
       -artifact_prefix="$BUILD/artifacts/$name-" "$corpus" "$seeds"; then
    echo "FAIL: $name found a crash (see $BUILD/artifacts/)" >&2
    failed=1
  fi
done
[ "$found" = 1 ] || { echo "no fuzz targets were built" >&2; exit 1; }
exit "$failed"
