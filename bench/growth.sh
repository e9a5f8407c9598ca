#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How Kavlo's generation grows with the album, measured in this one run.
#
#   bench/growth.sh [SIZES...]          (default: 100 500 2000)
#
# For each size N, an album folder of N photos (hard links to copies of the four large
# test photos of tests/data/photos/large, or of the JPEGs in PHOTOS=FOLDER) is built
# from scratch with `kavlo DIR -Automation --no-gui` at the default settings and the
# default number of threads (JOBS=N to choose), and the script prints the time per
# photo and the peak resident memory of the process (GNU time's %M). The album of the
# largest size is then regenerated unchanged (`kavlo DIR/album -Automation --no-gui`:
# an opened album keeps the images whose files still fit, so only the reuse test
# runs), and that time is set against its first generation.
#
# Kavlo is built in KAVLO_BUILD (default build-bench) as BUILD_TYPE (default
# Release). About 2 minutes on 2 cores at the default sizes. KEEP=1 keeps the
# temporary folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100 500 2000)
photos_in="${PHOTOS:-$root/tests/data/photos/large}"
build="${KAVLO_BUILD:-$root/build-bench}"
jobs="${JOBS:-$(nproc)}"

[ -x /usr/bin/time ] || {
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq >&2 && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq time >&2
}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kavlo >&2
kavlo="$build/app/kavlo"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-growth.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/base"
mapfile -d '' sources < <(find "$photos_in" -maxdepth 1 -type f -iname '*.jp*g' -print0 | sort -z)
[ ${#sources[@]} -gt 0 ] || { echo "growth.sh: no JPEG photos in '$photos_in'" >&2; exit 2; }
for f in "${sources[@]}"; do cp "$f" "$tmp/base/"; done
mapfile -t base < <(ls "$tmp/base")

now() { date +%s.%N; }
# run LABEL ARGS... : sets secs and rss_mb
run() {
  local t0 t1
  t0="$(now)"
  XDG_CONFIG_HOME="$tmp/config" /usr/bin/time -o "$tmp/rss" -f %M "$kavlo" "$@" \
    -Automation --no-gui --jobs "$jobs" >/dev/null 2>"$tmp/kavlo.log" ||
    { cat "$tmp/kavlo.log" >&2; exit 1; }
  t1="$(now)"
  secs="$(echo "$t1 - $t0" | bc -l)"
  rss_mb="$(echo "$(tail -1 "$tmp/rss") / 1024" | bc -l)"
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'Kavlo, default settings, %s threads, %d-photo sources from %s\n' "$jobs" "${#base[@]}" "$photos_in"
printf '%8s %12s %10s %13s\n' "photos" "total s" "ms/photo" "peak RSS MB"
first_ms=""; last=""
for n in "${sizes[@]}"; do
  dir="$tmp/album_$n"
  mkdir -p "$dir"
  for ((i = 0; i < n; i++)); do
    b="${base[$((i % ${#base[@]}))]}"
    ln "$tmp/base/$b" "$dir/$(printf '%05d' "$i")_$b"
  done
  rm -rf "$tmp/config"
  run "$dir"
  [ "$(find "$dir/album/medium" -name '*.jpg' | wc -l)" -eq "$n" ] ||
    { echo "growth.sh: the album of $n photos is incomplete" >&2; exit 1; }
  ms="$(echo "$secs * 1000 / $n" | bc -l)"
  [ -n "$first_ms" ] || first_ms="$ms"
  printf '%8d %12.2f %10.2f %13.1f\n' "$n" "$secs" "$ms" "$rss_mb"
  last="$dir"; last_n="$n"; last_secs="$secs"
  [ "$dir" = "$tmp/album_${sizes[-1]}" ] || rm -rf "$dir"
done
printf 'time per photo, largest against smallest album: %.3f\n' "$(echo "$ms / $first_ms" | bc -l)"

run "$last/album"
rewritten="$(find "$last/album/small" "$last/album/medium" -name '*.jpg' -newer "$tmp/kavlo.log" | wc -l)"
printf '\nregeneration of the unchanged %d-photo album: %.2f s (%.2f ms/photo), %.1f%% of its first generation; peak RSS %.1f MB; %d image files rewritten\n' \
  "$last_n" "$secs" "$(echo "$secs * 1000 / $last_n" | bc -l)" "$(echo "100 * $secs / $last_secs" | bc -l)" "$rss_mb" "$rewritten"
printf 'load average before %s, after %s\n' "$load_before" "$(cut -d' ' -f1-3 /proc/loadavg)"
