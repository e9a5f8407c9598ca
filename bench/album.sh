#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Album speed against the tools users would pick, all measured in this one run.
#
#   bench/album.sh [PHOTO_FOLDER] [COPIES]
#
# Copies every JPEG of PHOTO_FOLDER (default: the four large test photos of
# tests/data/photos/large) COPIES times (default 10) into a temporary folder, then makes the
# files of a default album from those photos -- thumbnail (fits 80 x 80) and main image
# (fits 552 x 552), and with renditions (RENDITIONS=1, the default) also the 2x thumbnail
# and every extra rendition the photo gets (up to 3840, never larger than the photo):
# JPEG quality 85, optimised Huffman tables, no metadata, turned upright -- with:
#   kavlo          the whole album (`kavlo DIR -Automation --no-gui --jobs N`: Exif
#                  captions, images, pages), one process, 1 thread and all threads
#   vipsthumbnail  one run per file (batch mode makes one size per run),
#                  VIPS_CONCURRENCY=1
#   convert        ImageMagick, one run per photo writing every size, largest first,
#                  -define jpeg:size= the largest (DCT scaling), -limit thread 1
# The sizes each photo gets come from `generation_bench --sizes`, so that every tool and
# the floor make the same set of files as Kavlo.
# Single-threaded the tools run one process after the other; "all cores" runs one
# process per photo with `xargs -P $(nproc)` (each process single-threaded, the
# fastest way to batch them). Every configuration runs ROUNDS times (default 3,
# interleaved) and the best wall-clock time counts. Peak RSS is the largest resident
# set of one process (GNU time's %M).
#
# It also prints the libjpeg-turbo floor of the same work (decode at the DCT scale for
# the largest file plus every encode, called directly on one thread; `generation_bench
# --floor`), Kavlo's single-threaded ratio to it and vipsthumbnail's to Kavlo, the load average, and how much faster the
# floor's work runs split over all cores than in one process right now: on a shared
# machine that capacity, not the program, bounds every "all cores" row (rerun when the
# load is high).
#
# Missing tools are installed with apt-get (libvips-tools, imagemagick, time).
# Kavlo and the benchmark are built in KAVLO_BUILD (default build-bench) as BUILD_TYPE
# (default Release). Environment: ROUNDS, RENDITIONS, KAVLO_BUILD, BUILD_TYPE, KEEP=1
# keeps the temporary folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
photos_in="${1:-$root/tests/data/photos/large}"
copies="${2:-10}"
rounds="${ROUNDS:-3}"
build="${KAVLO_BUILD:-$root/build-bench}"
cores="$(nproc)"
if [ "${RENDITIONS:-1}" = 1 ]; then rflag=(--renditions); kset=(--set renditions=yes)
else rflag=(); kset=(--set renditions=no); fi

need=()
command -v vipsthumbnail >/dev/null 2>&1 || need+=(libvips-tools)
[ -x /usr/bin/convert-im6.q16 ] || command -v magick >/dev/null 2>&1 || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "installing ${need[*]}" >&2
  $SUDO apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >&2
fi
# The ImageMagick program itself (not a wrapper script that may come first in PATH).
if [ -x /usr/bin/convert-im6.q16 ]; then im=(/usr/bin/convert-im6.q16)
elif command -v magick >/dev/null 2>&1; then im=(magick)
else im=(convert); fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build" -j"$cores" --target kavlo generation_bench >&2
kavlo="$build/app/kavlo"
floor="$build/bench/generation_bench"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-album-bench.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/photos" "$tmp/out" "$tmp/config"
n=0
for ((c = 1; c <= copies; c++)); do
  while IFS= read -r -d '' f; do
    base="$(basename "$f")"
    cp "$f" "$tmp/photos/$(printf '%03d' "$c")_${base%.*}.jpg"
    n=$((n + 1))
  done < <(find "$photos_in" -maxdepth 1 -type f -iname '*.jp*g' -print0 | sort -z)
done
[ "$n" -gt 0 ] || { echo "album.sh: no JPEG photos in '$photos_in'" >&2; exit 2; }
cat "$tmp"/photos/* >/dev/null  # every tool reads from the page cache

# The longer side of every file of each photo, one line per photo: "PHOTO side...".
"$floor" --sizes "${rflag[@]}" "$tmp"/photos/*.jpg >"$tmp/sizes.txt"
files="$(awk '{ n += NF - 1 } END { print n }' "$tmp/sizes.txt")"

# One photo for each tool; every process's peak RSS goes to the file in $RSS_FILE.
cat >"$tmp/vips_one.sh" <<'EOF'
#!/bin/sh
out="$OUT/$(basename "$1" .jpg)"
for side in $(awk -v p="$1" 'substr($0, 1, length(p) + 1) == p " " { print substr($0, length(p) + 2) }' "$SIZES"); do
  VIPS_CONCURRENCY=1 /usr/bin/time -a -o "$RSS_FILE" -f %M \
    vipsthumbnail "$1" -s "$side" -o "${out}_${side}.jpg[Q=85,optimize_coding,strip]"
done
EOF
cat >"$tmp/im_one.sh" <<EOF
#!/bin/sh
out="\$OUT/\$(basename "\$1" .jpg)"
sides="\$(awk -v p="\$1" 'substr(\$0, 1, length(p) + 1) == p " " { print substr(\$0, length(p) + 2) }' "\$SIZES" | tr ' ' '\n' | sort -rn)"
first="\$(echo "\$sides" | head -1)"
args=""
for side in \$sides; do args="\$args -resize \${side}x\${side} -write \${out}_\${side}.jpg"; done
OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1 /usr/bin/time -a -o "\$RSS_FILE" -f %M \\
  ${im[*]} -limit thread 1 -define jpeg:size=\${first}x\${first} "\$1" -auto-orient -strip \\
  -define jpeg:optimize-coding=true -quality 85 \$args null:
EOF
chmod +x "$tmp/vips_one.sh" "$tmp/im_one.sh"

now() { date +%s.%N; }
declare -A best rss
record() {  # name seconds rss_kb
  local cur="${best[$1]:-}"
  if [ -z "$cur" ] || awk -v a="$2" -v b="$cur" 'BEGIN{exit !(a<b)}'; then best[$1]="$2"; fi
  if [ -z "${rss[$1]:-}" ] || [ "$3" -gt "${rss[$1]}" ]; then rss[$1]="$3"; fi
}
run_kavlo() {  # jobs
  rm -rf "$tmp/photos/album" "$tmp/config"
  local t0 t1
  t0="$(now)"
  XDG_CONFIG_HOME="$tmp/config" /usr/bin/time -o "$tmp/rss" -f %M \
    "$kavlo" "$tmp/photos" -Automation --no-gui "${kset[@]}" --jobs "$1" >/dev/null 2>"$tmp/kavlo.log" ||
    { cat "$tmp/kavlo.log" >&2; exit 1; }
  t1="$(now)"
  [ "$(find "$tmp/photos/album/medium" -name '*.jpg' | wc -l)" -eq "$n" ] ||
    { echo "album.sh: kavlo made the wrong number of images" >&2; exit 1; }
  record "kavlo/$1" "$(echo "$t1 - $t0" | bc -l)" "$(tail -1 "$tmp/rss")"
}
run_one_photo() {  # kavlo's cost per run that does not depend on the number of photos
  rm -rf "$tmp/one" "$tmp/config" && mkdir -p "$tmp/one"
  cp "$(find "$tmp/photos" -maxdepth 1 -name '*.jpg' | sort | head -1)" "$tmp/one/"
  local t0 t1
  t0="$(now)"
  XDG_CONFIG_HOME="$tmp/config" "$kavlo" "$tmp/one" -Automation --no-gui "${kset[@]}" --jobs 1 >/dev/null 2>&1
  t1="$(now)"
  record "kavlo-one" "$(echo "$t1 - $t0" | bc -l)" 0
}
run_tool() {  # name script parallel
  rm -rf "$tmp/out" && mkdir -p "$tmp/out"
  : >"$tmp/rss"
  local t0 t1
  t0="$(now)"
  find "$tmp/photos" -maxdepth 1 -name '*.jpg' -print0 |
    OUT="$tmp/out" RSS_FILE="$tmp/rss" SIZES="$tmp/sizes.txt" xargs -0 -n 1 -P "$3" "$2"
  t1="$(now)"
  [ "$(find "$tmp/out" -name '*.jpg' | wc -l)" -eq "$files" ] ||
    { echo "album.sh: $1 made the wrong number of images" >&2; exit 1; }
  record "$1/$3" "$(echo "$t1 - $t0" | bc -l)" "$(grep -E '^[0-9]+$' "$tmp/rss" | sort -n | tail -1)"
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
echo "album.sh: $n photos from $photos_in, $rounds rounds, $cores cores, load average $load_before" >&2
for ((r = 1; r <= rounds; r++)); do
  echo "  round $r" >&2
  run_kavlo 1
  run_tool vipsthumbnail "$tmp/vips_one.sh" 1
  run_tool convert "$tmp/im_one.sh" 1
  run_kavlo "$cores"
  run_tool vipsthumbnail "$tmp/vips_one.sh" "$cores"
  run_tool convert "$tmp/im_one.sh" "$cores"
  run_one_photo
done
floor_ms="$("$floor" --floor "$rounds" "${rflag[@]}" "$tmp"/photos/*.jpg | awk '/floor_ms_per_photo/ {print $2}')"

# What the machine gives to parallel work right now: the floor's work on all photos in
# one process against the same work split over $cores processes at once. On a shared
# machine this, not Kavlo, may bound every "all cores" row.
capacity=""
for ((r = 1; r <= rounds; r++)); do
  t0="$(now)"; "$floor" --floor 1 "${rflag[@]}" "$tmp"/photos/*.jpg >/dev/null; t1="$(now)"
  mapfile -t all < <(find "$tmp/photos" -maxdepth 1 -name '*.jpg' | sort)
  t2="$(now)"
  for ((p = 0; p < cores; p++)); do
    part=()
    for ((i = p; i < ${#all[@]}; i += cores)); do part+=("${all[$i]}"); done
    "$floor" --floor 1 "${rflag[@]}" "${part[@]}" >/dev/null &
  done
  wait
  t3="$(now)"
  c="$(echo "($t1 - $t0) / ($t3 - $t2)" | bc -l)"
  if [ -z "$capacity" ] || awk -v a="$c" -v b="$capacity" 'BEGIN{exit !(a>b)}'; then capacity="$c"; fi
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

ms() { echo "${best[$1]} * 1000 / $n" | bc -l; }
what="Thumbnail (80) + main image (552)"
[ "${RENDITIONS:-1}" = 1 ] && what="Thumbnails (80, 160) + main image (552) + renditions"
printf '\n%s of %d photos (%d files), best of %d rounds, wall clock\n' "$what" "$n" "$files" "$rounds"
printf '%-26s %7s %10s %16s %13s\n' "tool" "threads" "ms/photo" "time / kavlo's" "peak RSS MB"
for threads in 1 "$cores"; do
  k="$(ms "kavlo/$threads")"
  for tool in kavlo vipsthumbnail convert; do
    t="$(ms "$tool/$threads")"
    label="$tool"; [ "$tool" = convert ] && label="ImageMagick convert"
    [ "$tool" = kavlo ] && label="kavlo (whole album)"
    printf '%-26s %7s %10.1f %16.2f %13.1f\n' "$label" "$threads" "$t" "$(echo "$t / $k" | bc -l)" \
      "$(echo "${rss[$tool/$threads]} / 1024" | bc -l)"
  done
done
k1="$(ms kavlo/1)"
printf '%-26s %7s %10.1f %16.2f %13s\n' "libjpeg-turbo floor" 1 "$floor_ms" "$(echo "$floor_ms / $k1" | bc -l)" "-"
printf '\nkavlo on a one-photo album (start-up, settings and album files, one photo): %.1f ms\n' \
  "$(echo "${best[kavlo-one]} * 1000" | bc -l)"
printf 'kavlo, %d threads against 1: %.2fx faster\n' "$cores" "$(echo "$k1 / $(ms "kavlo/$cores")" | bc -l)"
printf 'the machine now: the floor'"'"'s work split over %d processes runs %.2fx faster than in one\n' "$cores" "$capacity"
printf 'kavlo, 1 thread, against the libjpeg-turbo floor: %.2fx the floor\n' "$(echo "$k1 / $floor_ms" | bc -l)"
printf 'vipsthumbnail, 1 thread, against kavlo: %.2fx kavlo'"'"'s time\n' "$(echo "$(ms vipsthumbnail/1) / $k1" | bc -l)"
printf 'load average before %s, after %s\n' "$load_before" "$load_after"
