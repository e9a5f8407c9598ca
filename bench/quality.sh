#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Image quality of the album images against a careful resize of the same photos.
#
#   bench/quality.sh [PHOTO_FOLDER...]
#
# Takes every JPEG of the PHOTO_FOLDERs (default: large/, orientation/ and cameras/ of the
# test photos) and makes two albums of them with the built `kavlo` in the terminal
# (`-Automation --no-gui`): one with the default settings, one with the sharpening of
# thumbnails and main images switched off (ssharpen=no, msharpen=no). For every album
# image the reference is a Lanczos resize of the full-size source, turned upright, to the
# album image's exact size (ImageMagick: -auto-orient -filter Lanczos -resize WxH!), kept
# lossless as PNG. Each album image is compared with its reference by bench/image_quality
# (PSNR over R, G, B and SSIM of the luma; both pictures decoded by Kavlo's readers). The
# first row of each size class is the reference itself saved as JPEG at quality 85 with
# Kavlo's JPEG writer: what the careful resize keeps after the album's JPEG step alone.
#
# Size classes: thumbnails; main images reduced from larger photos; main images enlarged
# from smaller ones. Images that need no resizing (published as the source) are left
# out. An album image that stands otherwise than the upright source (a turn or mirror
# Kavlo did not apply) is turned to fit before it is compared, and counted in the table.
#
# Also writes crops side by side at 200 % (reference | reference at q85 | default |
# sharpening off) of one photo's main image and thumbnail to OUT (default
# build/test-output/quality/), as PNG files.
#
# Environment: KAVLO_BUILD (default build/; kavlo and image_quality are built there),
# KAVLO (another kavlo program to measure, e.g. a changed build), OUT, CROP_PHOTO (base
# name of the photo to crop, default iphone_hdr_NO), KEEP=1 keeps the temporary folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
testdata="${KAVLO_TESTDATA:-$root/tests/data}"
if [ $# -gt 0 ]; then folders=("$@"); else
  folders=("$testdata/photos/large" "$testdata/photos/orientation" "$testdata/photos/cameras")
fi
build="${KAVLO_BUILD:-$root/build}"
out="${OUT:-$build/test-output/quality}"
crop_photo="${CROP_PHOTO:-iphone_hdr_NO}"

"$root/scripts/deps.sh" bench >&2
# The ImageMagick programs themselves (not wrapper scripts that may come first in PATH).
if [ -x /usr/bin/convert-im6.q16 ]; then im=(/usr/bin/convert-im6.q16) identify=(/usr/bin/identify-im6.q16)
elif command -v magick >/dev/null 2>&1; then im=(magick) identify=(magick identify)
else im=(convert) identify=(identify); fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=(image_quality)
[ -n "${KAVLO:-}" ] || targets+=(kavlo)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >&2
kavlo="${KAVLO:-$build/app/kavlo}"
measure="$build/bench/image_quality"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-quality.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/photos" "$tmp/config" "$tmp/ref" "$out"
for folder in "${folders[@]}"; do
  while IFS= read -r -d '' f; do
    base="$(basename "$f")"
    base="${base%.*}"
    [ ! -e "$tmp/photos/$base.jpg" ] || { echo "quality.sh: two photos named $base" >&2; exit 2; }
    cp "$f" "$tmp/photos/$base.jpg"
  done < <(find "$folder" -maxdepth 1 -type f -iname '*.jp*g' -print0 | sort -z)
done
[ -n "$(ls -A "$tmp/photos")" ] || { echo "quality.sh: no JPEG photos found" >&2; exit 2; }

# One album per configuration; the album images keep the photos' names (orgfilenames).
configs=("default" "sharpening off")
config_args=("" "--set ssharpen=no --set msharpen=no")
for i in "${!configs[@]}"; do
  # shellcheck disable=SC2086  # the arguments are words
  XDG_CONFIG_HOME="$tmp/config" "$kavlo" "$tmp/photos" -Automation --no-gui --quiet \
    --set orgfilenames=yes ${config_args[$i]} >"$tmp/kavlo.log" 2>&1 ||
    { cat "$tmp/kavlo.log" >&2; echo "quality.sh: kavlo failed" >&2; exit 1; }
  mv "$tmp/photos/album" "$tmp/album$i"
done

# WIDTHxHEIGHT of a picture as stored
size_of() { "${identify[@]}" -format '%wx%h' "$1"; }
# WIDTHxHEIGHT of a photo turned upright by its Exif orientation (5 to 8 swap the sides)
upright_size() {
  local w h o
  read -r w h o < <("${identify[@]}" -format '%w %h %[orientation]\n' "$1")
  case "$o" in LeftTop | RightTop | RightBottom | LeftBottom) echo "${h}x${w}" ;; *) echo "${w}x${h}" ;; esac
}

results="$tmp/results"
: >"$results"
for photo in "$tmp"/photos/*.jpg; do
  base="$(basename "$photo" .jpg)"
  src_size="$(upright_size "$photo")"
  src_w="${src_size%x*}"
  src_h="${src_size#*x}"
  for kind in small medium; do
    first=("$tmp/album0/$kind/$base"-[0-9][0-9][0-9].jpg)
    [ -f "${first[0]}" ] || { echo "quality.sh: no $kind image of $base" >&2; exit 1; }
    name="$(basename "${first[0]}")"
    size="$(size_of "${first[0]}")"
    w="${size%x*}"
    h="${size#*x}"
    # Kavlo's image may stand turned; the class follows the longer sides.
    long=$((w > h ? w : h))
    src_long=$((src_w > src_h ? src_w : src_h))
    if [ "$kind" = small ]; then class="thumbnails"
    elif [ "$long" -lt "$src_long" ]; then class="main, reduced"
    elif [ "$long" -gt "$src_long" ]; then class="main, enlarged"
    else continue; fi
    # The reference stands upright; so does Kavlo's image unless it missed a turn.
    if [ $((w > h)) = $((src_w > src_h)) ]; then ref_size="${w}x${h}"; else ref_size="${h}x${w}"; fi
    ref="$tmp/ref/$base-$kind.png"
    "${im[@]}" "$photo" -auto-orient -filter Lanczos -resize "${ref_size}!" -depth 8 "$ref"
    "$measure" encode 85 "$ref" "$tmp/ref/$base-$kind-q85.jpg"
    {
      printf '%s\t0\t%s\n' "$class" "$("$measure" compare "$ref" "$tmp/ref/$base-$kind-q85.jpg")"
      for i in "${!configs[@]}"; do
        printf '%s\t%d\t%s\n' "$class" $((i + 1)) "$("$measure" compare "$ref" "$tmp/album$i/$kind/$name")"
      done
    } >>"$results"
    if [ "$base" = "$crop_photo" ]; then
      cp "$ref" "$tmp/crop-$kind-0.png"
      cp "$tmp/ref/$base-$kind-q85.jpg" "$tmp/crop-$kind-1.jpg"
      for i in "${!configs[@]}"; do cp "$tmp/album$i/$kind/$name" "$tmp/crop-$kind-$((i + 2)).jpg"; done
    fi
  done
done

echo
echo "Album images against a Lanczos resize of the full-size photo ($(find "$tmp/photos" -name '*.jpg' | wc -l) photos)"
awk -F'\t' -v names="Lanczos resize, JPEG q85|Kavlo, default settings|Kavlo, sharpening off" '
  BEGIN { split(names, label, "|"); order = "thumbnails|main, reduced|main, enlarged"; split(order, classes, "|") }
  {
    split($3, f, " "); key = $1 SUBSEP $2
    if (f[1] == "inf") { same[key]++; next }
    n[key]++; psnr[key] += f[1]; ssim[key] += f[2]
    if (!(key in lo) || f[1] < lo[key]) lo[key] = f[1]
    if (!(key in hi) || f[1] > hi[key]) hi[key] = f[1]
    if (f[3] != 0) turned[key]++
  }
  END {
    printf "%-16s %-28s %6s %10s %17s %8s\n", "size class", "images made by", "count", "PSNR dB", "(min .. max)", "SSIM"
    for (c = 1; c <= 3; ++c)
      for (r = 0; r <= 2; ++r) {
        key = classes[c] SUBSEP r
        if (!(key in n)) continue
        note = ""
        if (turned[key]) note = note sprintf("  %d turned to fit", turned[key])
        if (same[key]) note = note sprintf("  %d identical (left out)", same[key])
        printf "%-16s %-28s %6d %10.2f %17s %8.4f%s\n", classes[c], label[r + 1], n[key],
               psnr[key] / n[key], sprintf("(%.1f .. %.1f)", lo[key], hi[key]), ssim[key] / n[key], note
      }
  }' "$results"

# Crops at 200 %, side by side: reference | reference at q85 | default | sharpening off.
crop_side_by_side() {
  local kind="$1" geometry="$2" target="$3"
  local parts=("$tmp/crop-$kind-0.png" "$tmp/crop-$kind-1.jpg" "$tmp/crop-$kind-2.jpg" "$tmp/crop-$kind-3.jpg")
  [ -f "${parts[0]}" ] || return 0
  "${im[@]}" "${parts[@]}" -crop "$geometry" +repage -scale 200% -bordercolor white -border 4 +append "$target"
  echo "crops (reference | reference q85 | default | sharpening off): $target"
}
echo
# Main image: the middle 160 x 120 pixels; thumbnail: the whole picture.
if [ -f "$tmp/crop-medium-0.png" ]; then
  msize="$(size_of "$tmp/crop-medium-0.png")"
  mw="${msize%x*}"
  mh="${msize#*x}"
  crop_side_by_side medium "160x120+$(((mw - 160) / 2))+$(((mh - 120) / 2))" "$out/$crop_photo-main-200pct.png"
fi
crop_side_by_side small "100%x100%+0+0" "$out/$crop_photo-thumbnail-200pct.png"
