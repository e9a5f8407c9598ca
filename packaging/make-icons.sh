#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the PNG icons of the hicolor theme from the hand-drawn SVG, so that they can
# be committed and the build needs no SVG renderer. Run it again after editing the SVG.
#   packaging/make-icons.sh        (needs rsvg-convert: apt-get install librsvg2-bin)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
id="io.github.kavlo.Kavlo"
svg="$here/icons/hicolor/scalable/apps/$id.svg"
command -v rsvg-convert >/dev/null 2>&1 || {
  echo "make-icons.sh: rsvg-convert is needed (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 48 128 256; do
  out="$here/icons/hicolor/${size}x${size}/apps/$id.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" --format png "$svg" --output "$out"
  echo "$out"
done
