#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Kavlo needs. Idempotent: packages that are already
# installed are not fetched again, and apt-get runs only when something is missing.
#   scripts/deps.sh build   compiler, CMake and the libraries (enough to build and run)
#   scripts/deps.sh test    everything above plus the test tools (browser, fonts, clang)
#   scripts/deps.sh bench   the build packages plus the tools the benchmarks measure against
set -euo pipefail
mode="${1:-build}"

build_pkgs=(build-essential cmake ninja-build pkg-config
  libjpeg62-turbo-dev libtiff-dev libexpat1-dev zlib1g-dev libfreetype-dev libfontconfig-dev
  liblcms2-dev libpng-dev libwebp-dev libheif-dev libde265-0 libdav1d6
  qt6-base-dev libgtest-dev libbenchmark-dev fonts-dejavu-core help2man)
# llvm brings the unversioned llvm-symbolizer, without which sanitizer and fuzzer reports
# show bare addresses instead of files and lines. The tests make HEIC and AVIF files:
# libheif's encoders come from x265 and aom. The desktop stage drives the windows by
# keyboard on Xvfb under openbox with xdotool (x11-utils for looking at windows).
test_pkgs=(chromium nodejs clang libclang-rt-14-dev llvm xvfb xauth
  desktop-file-utils appstream file libvips-tools libx265-199 libaom3
  openbox xdotool x11-utils)
# bench/album.sh times ImageMagick and vipsthumbnail with GNU time; bench/quality.sh
# compares the album images with ImageMagick's Lanczos resize.
bench_pkgs=(imagemagick libvips-tools time)

pkgs=("${build_pkgs[@]}")
if [ "$mode" = "bench" ]; then
  pkgs+=("${bench_pkgs[@]}")
elif [ "$mode" = "test" ]; then
  pkgs+=("${test_pkgs[@]}")
  # Debian's nodejs comes without npm; a Node.js from elsewhere usually brings its own.
  command -v npm >/dev/null 2>&1 || pkgs+=(npm)
fi

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "deps.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "deps.sh: run this command as root, or install sudo, to install them" >&2
    exit 1
  fi
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
