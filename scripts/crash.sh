#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills album runs at random moments and checks that the album finished afterwards is
# byte for byte the album of a run that was never interrupted.
#
#   scripts/crash.sh [KILLS] [PHOTO_FOLDER]
#
# Copies the JPEG photos of PHOTO_FOLDER (default: every test photo of tests/data/photos)
# into a temporary folder and makes their album once without interruption (the
# reference). Then it makes the album again from nothing, killing the run with SIGKILL
# KILLS times (default 20), each after a random time within the length of the clean run;
# every run goes on from what the killed one left, as a user who starts Kavlo again
# would (the album folder when it has its album information, otherwise the photo folder
# with --overwrite). A last run completes the album, which must then equal the reference
# in every file, temporary files included (there must be none). It prints how many main
# images the last run kept from the killed runs (reused rather than made again).
#
# Environment: KAVLO_PROGRAM (default build/app/kavlo), JOBS (threads per run, default
# 2), SEED (for the random moments), KEEP=1 keeps the temporary folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kills="${1:-20}"
program="${KAVLO_PROGRAM:-$root/build/app/kavlo}"
jobs="${JOBS:-2}"
[ -x "$program" ] || { echo "crash.sh: no program at $program (build Kavlo first)" >&2; exit 1; }
RANDOM="${SEED:-$$}"

work="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-crash.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/config"
export XDG_CONFIG_HOME="$work/config"
if [ $# -ge 2 ]; then
  find "$2" -maxdepth 1 -type f -iname '*.jpg' -exec cp {} "$work/photos/" \;
else
  for sub in cameras large orientation; do
    for f in "$root/tests/data/photos/$sub"/*.jpg; do cp "$f" "$work/photos/${sub}_$(basename "$f")"; done
  done
fi
count="$(find "$work/photos" -maxdepth 1 -name '*.jpg' | wc -l)"
[ "$count" -gt 0 ] || { echo "crash.sh: no photos" >&2; exit 2; }
album="$work/photos/album"

# One run as the user would start it after whatever came before.
start_run() {
  if [ -f "$album/ext/xml/albuminfo.xml" ]; then
    "$program" "$album" -Automation --no-gui --quiet --jobs "$jobs" >/dev/null 2>>"$work/runs.log" &
  else
    "$program" "$work/photos" -Automation --no-gui --quiet --overwrite --jobs "$jobs" \
      >/dev/null 2>>"$work/runs.log" &
  fi
  pid=$!
}

now() { date +%s%N; }

# The reference: one run from nothing, timed.
t0="$(now)"
start_run
wait "$pid" || { echo "crash.sh: the clean run failed" >&2; cat "$work/runs.log" >&2; exit 1; }
clean_ms=$(( ($(now) - t0) / 1000000 ))
mv "$album" "$work/reference"
echo "crash.sh: $count photos, clean run ${clean_ms} ms; killing $kills runs"

killed=0
finished=0
for ((k = 1; k <= kills; k++)); do
  # A moment within the clean run's length (runs that reuse images end sooner, so
  # some runs finish before their moment: those are counted, not killed).
  delay_ms=$(( (RANDOM * 32768 + RANDOM) % (clean_ms + 1) ))
  start_run
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  if kill -KILL "$pid" 2>/dev/null; then
    killed=$((killed + 1))
    wait "$pid" 2>/dev/null || true
  else
    wait "$pid" || { echo "crash.sh: a run failed" >&2; cat "$work/runs.log" >&2; exit 1; }
    finished=$((finished + 1))
    rm -rf "$album"
  fi
done
inodes() { { find "$album/medium" -maxdepth 1 -name '*.jpg' -printf '%i %f\n' 2>/dev/null || true; } | sort; }
inodes >"$work/before.txt"
start_run
wait "$pid" || { echo "crash.sh: the last run failed" >&2; cat "$work/runs.log" >&2; exit 1; }

status=0
if ! diff -r --no-dereference "$work/reference" "$album" >"$work/diff.txt" 2>&1; then
  echo "crash.sh: the album differs from the clean run's:" >&2
  head -40 "$work/diff.txt" >&2
  status=1
fi
temps="$(find "$album" -name '.*.tmp-*' | wc -l)"
if [ "$temps" -ne 0 ]; then
  echo "crash.sh: $temps temporary files left" >&2
  status=1
fi
inodes >"$work/after.txt"
kept="$(comm -12 "$work/before.txt" "$work/after.txt" | wc -l)"
echo "crash.sh: $killed runs killed, $finished ended before their moment; the last run kept $kept of $count main images"
if [ $status -eq 0 ]; then
  echo "crash.sh: the album equals the clean run's, byte for byte"
fi
exit $status
