#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job: installs what Kavlo needs, builds it, and builds an album.
#   scripts/album.sh [FOLDER]
# Without FOLDER the album is made from the sample photos that ship in samples/,
# copied into a fresh folder under /tmp; with FOLDER the album of FOLDER's photos is
# made in FOLDER/album, or regenerated when FOLDER/album already holds a Kavlo album
# (running it again is safe). The path of the album's start page is printed last.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" build
# Only the program and what it ships with (templates, help, icons): no tests, benchmarks
# or fuzzers, so that the first run on a new machine is quick (scripts/test.sh builds
# everything, in the same build folder).
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target kavlo >&2
kavlo="$root/build/app/kavlo"

if [ $# -eq 0 ]; then
  # The folder's name becomes the album title.
  target="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-album.XXXXXX")/Kavlo sample photos"
  mkdir -p "$target"
  find "$root/samples" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.tif' \) \
    -exec cp {} "$target/" \;
else
  [ -d "$1" ] || { echo "album.sh: '$1' is not a folder" >&2; exit 2; }
  folder="$(cd "$1" && pwd)"
  target="$folder"
  if [ -f "$folder/album/ext/xml/albuminfo.xml" ] || [ -f "$folder/album/albuminfo.xml" ]; then
    target="$folder/album"
  fi
fi

# kavlo prints the start page of the album on standard output when it succeeds.
"$kavlo" "$target" -Automation --no-gui
