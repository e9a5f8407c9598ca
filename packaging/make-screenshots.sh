#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Remakes the screenshot that the AppStream metadata refers to: an album of the sample
# photos made by the built kavlo, opened in headless Chromium. Run it after the album
# pages change, and commit docs/screenshots/album.png.
#   packaging/make-screenshots.sh     (needs build/app/kavlo and chromium)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kavlo="${KAVLO_PROGRAM:-$root/build/app/kavlo}"
chromium="${KAVLO_CHROMIUM:-/usr/bin/chromium}"
[ -x "$kavlo" ] || { echo "make-screenshots.sh: no program at $kavlo (build Kavlo first)" >&2; exit 1; }
[ -x "$chromium" ] || { echo "make-screenshots.sh: no Chromium at $chromium" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
photos="$work/Kavlo sample photos"
mkdir -p "$photos" "$work/config"
find "$root/samples" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.tif' \) -exec cp {} "$photos/" \;
index="$(env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/config" KAVLO_FOOTER_NAME="Kavlo" \
         "$kavlo" "$photos" -Automation 2>/dev/null)"

mkdir -p "$root/docs/screenshots"
"$chromium" --headless=new --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$work/chromium" \
  --window-size=1280,800 --virtual-time-budget=30000 --run-all-compositor-stages-before-draw \
  --screenshot="$root/docs/screenshots/album.png" "file://$index" 2>/dev/null
echo "$root/docs/screenshots/album.png"
