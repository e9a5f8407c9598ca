#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop front end on a real X server (Xvfb): "kavlo FOLDER -Automation" with a
# display must open the Qt main window, run by itself and close at the end, leaving
# the album behind; the same command without a display runs in the terminal. Then a
# person's session by keyboard under a window manager (scripts/desktop-keyboard.sh) on
# a 1600 x 1000 screen, at 100 % and at 200 %.
#   scripts/test.d/50-desktop.sh REPO_ROOT
set -euo pipefail
root="$(cd "${1:-$(dirname "$0")/../..}" && pwd)"
program="${KAVLO_PROGRAM:-$root/build/app/kavlo}"
if [ ! -x "$program" ]; then
  echo "50-desktop: no program at $program (build Kavlo first)" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "50-desktop: xvfb-run is needed (scripts/deps.sh test installs it)" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/desktop" "$work/terminal" "$work/config"
testdata="${KAVLO_TESTDATA:-$root/tests/data}"
for f in "$testdata"/photos/cameras/*.jpg; do
  cp "$f" "$work/desktop/"
  cp "$f" "$work/terminal/"
done
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work"

status=0
# With a display: the Qt window runs the album and closes by itself. The terminal
# front end would print the album's start page on standard output; the window does not.
out="$(timeout 300 xvfb-run -a "$program" "$work/desktop" -Automation 2>"$work/desktop.err")" || {
  echo "50-desktop: the unattended desktop run failed:"; cat "$work/desktop.err"; status=1; }
if [ -n "$out" ]; then
  echo "50-desktop: the desktop run went through the terminal front end: $out"; status=1
fi
[ -f "$work/desktop/album/index.html" ] || { echo "50-desktop: no album from the desktop run"; status=1; }
[ -f "$work/desktop/album/ext/xml/albuminfo.xml" ] || { echo "50-desktop: no album information file"; status=1; }

# Without a display: the terminal front end.
out="$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 300 "$program" "$work/terminal" -Automation 2>/dev/null)" || {
  echo "50-desktop: the terminal run failed"; status=1; }
[ "$out" = "$work/terminal/album/index.html" ] || { echo "50-desktop: unexpected terminal output: $out"; status=1; }

# The same images give the same album files either way.
(cd "$work/desktop/album" && find . -type f ! -name albuminfo.xml | sort) >"$work/desktop.list"
(cd "$work/terminal/album" && find . -type f ! -name albuminfo.xml | sort) >"$work/terminal.list"
diff -u "$work/desktop.list" "$work/terminal.list" || { echo "50-desktop: the two runs wrote different files"; status=1; }

# By keyboard: the destination chooser, the album editor, Start and Escape.
for scale in 1 2; do
  folder="$work/keyboard-$scale"
  mkdir -p "$folder"
  cp "$testdata"/photos/cameras/Canon_40D.jpg "$testdata"/photos/cameras/Nikon_D70.jpg \
     "$testdata"/photos/cameras/Pentax_K10D.jpg "$folder/"
  rm -rf "$work/config/kavlo"
  QT_SCALE_FACTOR=$scale timeout 300 xvfb-run -a -s "-screen 0 1600x1000x24" \
    bash "$root/scripts/desktop-keyboard.sh" "$program" "$folder" || {
    echo "50-desktop: the keyboard session at scale $scale failed"; status=1; }
done

[ $status -eq 0 ] && echo "50-desktop: desktop and terminal runs made the album; the keyboard sessions passed"
exit $status
