#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Longer fuzzing runs than the test command's: every libFuzzer target (or the ones
# named) runs MINUTES minutes (default 10), one after the other, each on one core,
# keeping its corpus between runs. Not part of the test command.
#   scripts/fuzz-long.sh [MINUTES] [fuzz_target...]
# Environment: KAVLO_FUZZ_BUILD (build folder, default build-fuzz), KAVLO_TESTDATA.
# Crash, leak, timeout and out-of-memory inputs are kept under <build>/artifacts/;
# the script exits non-zero when any target found one.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
MINUTES=${1:-10}
shift || true
BUILD=${KAVLO_FUZZ_BUILD:-$ROOT/build-fuzz}
TESTDATA=${KAVLO_TESTDATA:-$ROOT/tests/data}

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVLO_BUILD_FUZZERS=ON -DKAVLO_BUILD_QT=OFF -DKAVLO_BUILD_TESTS=OFF -DKAVLO_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target kavlo_fuzzers -j2 >/dev/null

# Tokens of the resource/values files: libFuzzer splices them into inputs.
dict="$BUILD/resource_values.dict"
cat > "$dict" <<'DICT'
"<?xml version=\"1.0\" encoding=\"utf-8\"?>"
"<resource>"
"</resource>"
"<values"
"/>"
"=\""
"&amp;"
"&lt;br&gt;"
"&#10;"
"&#x1F600;"
"<![CDATA["
"<!DOCTYPE"
"<!ENTITY"
"image0000"
"macap0000"
"micap0000"
"destdir"
"renderer"
"sdir"
"copyhires"
DICT

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$BUILD"/tests/fuzz/fuzz_*; do
    [ -f "$exe" ] && [ -x "$exe" ] && targets+=("$(basename "$exe")")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets were built" >&2; exit 1; }

failed=0
mkdir -p "$BUILD/artifacts"
for name in "${targets[@]}"; do
  exe="$BUILD/tests/fuzz/$name"
  corpus="$BUILD/corpus/$name"
  seeds="$BUILD/seeds-long/$name"
  rm -rf "$seeds"
  mkdir -p "$corpus" "$seeds"
  case "$name" in
    fuzz_jpeg*|fuzz_exif|fuzz_iptc)
      for f in "$TESTDATA"/photos/*/*.jpg; do
        [ -f "$f" ] && head -c 40000 "$f" > "$seeds/$(basename "$f" .jpg).seed"
      done ;;
  esac
  if [ -d "$ROOT/tests/fuzz/seeds/$name" ]; then cp "$ROOT/tests/fuzz/seeds/$name"/* "$seeds/"; fi
  extra=()
  case "$name" in fuzz_resource_values|fuzz_album_info) extra+=(-dict="$dict") ;; esac
  echo "== $name: $MINUTES min"
  start=$(date +%s)
  if ! "$exe" -max_total_time=$((MINUTES * 60)) -close_fd_mask=1 -print_final_stats=1 \
       -rss_limit_mb=3072 -timeout=30 "${extra[@]}" \
       -artifact_prefix="$BUILD/artifacts/$name-" "$corpus" "$seeds"; then
    echo "FAIL: $name found an input that crashes, leaks or hangs (see $BUILD/artifacts/)" >&2
    failed=1
  fi
  echo "== $name: $(( $(date +%s) - start )) s, corpus $(ls "$corpus" | wc -l) files"
done
exit "$failed"
