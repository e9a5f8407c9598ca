#!/usr/bin/env bash
# The main job: installs what Kavlo needs, builds it, and builds an album.
#   scripts/album.sh [FOLDER]
# Without FOLDER the album is made from the sample photos that ship in samples/,
# into a fresh folder under /tmp, whose start page is printed at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" build
"$root/scripts/build.sh" "$root/build"
kavlo="$root/build/app/kavlo"
"$kavlo" --version
