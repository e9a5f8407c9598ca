#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the desktop program by keyboard alone, as a person would, on the X display in
# $DISPLAY (scripts/test.d/50-desktop.sh runs it on Xvfb): openbox manages the windows,
# xdotool types. The destination chooser takes its own proposal and a new folder's
# name; the album editor moves through the photos, takes a caption and closes with
# Escape; Start makes the album in the new folder, and Escape ends Kavlo.
#   scripts/desktop-keyboard.sh PROGRAM PHOTO_FOLDER
set -euo pipefail
program="$1"
photos="$2"
new_album="$photos/chosen album"
caption="Harbour at dawn"

fail() { echo "desktop-keyboard: $*" >&2; exit 1; }
for tool in openbox xdotool; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is needed (scripts/deps.sh test installs it)"
done

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Waits for a window whose title matches the pattern; prints its id.
window() {
  local id
  id="$(timeout "${2:-30}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1)" \
    || fail "no window '$1' appeared"
  echo "$id"
}
# True while a visible window with the title is there.
present() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Waits until no visible window has the title.
gone() {
  for _ in $(seq 1 50); do present "$1" || return 0; sleep 0.2; done
  fail "the window '$1' did not close"
}
keys() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.4; }
typed() { xdotool type --clearmodifiers --delay 20 "$1"; sleep 0.3; }

"$program" "$photos" >"$photos.out" 2>"$photos.err" &
kavlo=$!
pids+=($kavlo)

main="$(window '^Kavlo$')"
xdotool windowactivate --sync "$main"
sleep 0.5

# The destination chooser: Tab, Tab reaches "change" (after Title and Footer).
keys Tab Tab space
window '^Browse for Folder$' >/dev/null
# Its proposal (".../album", not made yet) is accepted as it stands.
keys Return
present '^Warning$' && fail "the chooser refused its own proposal"
gone '^Browse for Folder$'

# Again, with a new folder's name typed into "Folder:".
keys space
window '^Browse for Folder$' >/dev/null
keys alt+o ctrl+a
typed "$new_album"
keys Return
present '^Warning$' && fail "the chooser refused a new folder whose parent exists"
gone '^Browse for Folder$'

# The album editor: the second photo gets a caption; Escape closes the editor and
# keeps it.
keys alt+e
editor="$(window '^Album Editor')"
xdotool windowactivate --sync "$editor"
sleep 0.5
keys Next alt+m
typed "$caption"
keys Escape
gone '^Album Editor'

# Start, and once the album is made, Escape ends Kavlo (nothing is lost: no question).
xdotool windowactivate --sync "$main"
keys alt+s
window '^Kavlo  \[100%\]$' 120 >/dev/null
keys Escape
for _ in $(seq 1 50); do kill -0 "$kavlo" 2>/dev/null || break; sleep 0.2; done
kill -0 "$kavlo" 2>/dev/null && fail "Kavlo did not end on Escape"
wait "$kavlo" || fail "Kavlo ended with status $?: $(cat "$photos.err")"

[ -f "$new_album/index.html" ] || fail "no album in the typed-in folder '$new_album'"
[ ! -e "$photos/album" ] || fail "an album was made at the proposal as well"
grep -rqF "$caption" "$new_album/ext" || fail "the caption typed in the editor is not in the album"
echo "desktop-keyboard: chooser, editor and Start driven by keyboard"
