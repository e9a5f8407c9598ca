#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the same set of albums with two Kavlo programs and compares every file they
# write, byte for byte: a change that should not alter Kavlo's output is checked with it.
#   scripts/compare-albums.sh OLD_KAVLO NEW_KAVLO
# Each program needs its template set beside it, as in the build folder; keep a copy of
# an older build with e.g. `cp -r build/app /tmp/kavlo-old` and pass /tmp/kavlo-old/kavlo.
# Prints the files that differ or exist on one side only; the exit status is 0 only
# when every album of every case is identical (and both programs succeeded alike).
# KAVLO_TESTDATA names the folder of the test photos (default: tests/data);
# KAVLO_COMPARE_KEEP=1 keeps the albums (the folder is printed) to look at a difference.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -ne 2 ]; then
  echo "usage: scripts/compare-albums.sh OLD_KAVLO NEW_KAVLO" >&2
  exit 2
fi
for program in "$1" "$2"; do
  if [ ! -x "$program" ]; then
    echo "compare-albums: '$program' is not an executable program" >&2
    exit 2
  fi
done
old="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
new="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
photos="${KAVLO_TESTDATA:-$root/tests/data}/photos"
for sub in cameras orientation large; do
  if [ ! -d "$photos/$sub" ]; then
    echo "compare-albums: no test photos in $photos/$sub" >&2
    exit 2
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/kavlo-compare.XXXXXX")"
if [ "${KAVLO_COMPARE_KEEP:-0}" = 1 ]; then
  echo "compare-albums: the albums stay in $work"
else
  trap 'rm -rf "$work"' EXIT
fi

# The settings of one case: KEY=VALUE arguments become one settings file. Every key
# that is not given keeps its default.
write_settings() {
  local file="$1"; shift
  mkdir -p "$(dirname "$file")"
  {
    printf '<?xml version="1.0" encoding="utf-8"?>\n<resource>\n<values\n'
    local kv
    for kv in "$@"; do
      printf '  %s = "%s"\n' "${kv%%=*}" "${kv#*=}"
    done
    printf '/>\n</resource>\n'
  } >"$file"
}

# Each case: a name, the footer of the new album (KAVLO_FOOTER, empty for the default),
# how many times the album is made (2: the second run regenerates the album made by
# the first), and the settings keys ("-" for no settings file at all).
cases=(
  "defaults||1|-"
  "large||1|large=yes"
  "copyhires||1|large=yes copyhires=yes"
  "simpleviewer||1|simpleviewer=yes svcropthumbs=yes svthumbrows=4 svbgcolor=203040"
  "watermark||1|imagetext=yes ittext=Kavlo-test-watermark itposition=2 itfontsize=14 ittransp=40 itcolor=ff8000 large=yes"
  "orgfilenames||1|orgfilenames=yes"
  "captions-major||1|exifpos=1 smallpos=top appearance=light language=de"
  "captions-none||1|exifpos=2 smallpos=right ssharpen=no msharpen=no svsize=120 shsize=100 itposition=8"
  "strip-bottom||1|smallpos=bottom mvsize=400 mhsize=640 squality=60 iptcformat=%headline%-%byline_author%-%caption_abstract%"
  "autoviewer|Holiday photos autoviewer|1|-"
  "philipsxml|philipsxml|1|-"
  "reuse||2|large=yes"
)

# One run of one program on one case; the album, the settings file it leaves and the
# exit status of each run go to $work/out/$side/$name.
run_case() {
  local side="$1" program="$2" name="$3" footer="$4" runs="$5" keys="$6"
  local run="$work/run"
  rm -rf "$run"
  mkdir -p "$run/photos Album" "$run/xdg"
  cp "$photos"/cameras/*.jpg "$photos"/orientation/*.jpg "$photos"/large/*.jpg "$run/photos Album/"
  cp "$root"/samples/*.jpg "$root"/samples/*.tif "$run/photos Album/"
  if [ "$keys" != "-" ]; then
    # shellcheck disable=SC2086
    write_settings "$run/xdg/kavlo/kavlo_settings.xml" $keys
  fi
  local out="$work/out/$side/$name"
  mkdir -p "$out"
  local target="$run/photos Album" i status
  for ((i = 1; i <= runs; i++)); do
    set +e
    env -u KAVLO_FOOTER_NAME -u KAVLO_LINK_TXT -u KAVLO_LINK_URL -u DISPLAY -u WAYLAND_DISPLAY \
      XDG_CONFIG_HOME="$run/xdg" ${footer:+KAVLO_FOOTER="$footer"} \
      "$program" "$target" -Automation --no-gui --jobs 2 >"$out/stdout.$i" 2>"$out/stderr.$i"
    status=$?
    set -e
    echo "$status" >"$out/status.$i"
    target="$run/photos Album/album"
  done
  [ -d "$run/photos Album/album" ] && mv "$run/photos Album/album" "$out/album"
  [ -f "$run/xdg/kavlo/kavlo_settings.xml" ] && cp "$run/xdg/kavlo/kavlo_settings.xml" "$out/kavlo_settings.xml"
  return 0
}

differ=0
for c in "${cases[@]}"; do
  IFS='|' read -r name footer runs keys <<<"$c"
  run_case old "$old" "$name" "$footer" "$runs" "$keys"
  run_case new "$new" "$name" "$footer" "$runs" "$keys"
  a="$work/out/old/$name" b="$work/out/new/$name"
  for ((i = 1; i <= runs; i++)); do
    if ! cmp -s "$a/status.$i" "$b/status.$i"; then
      echo "$name: run $i ended with status $(cat "$a/status.$i") (old) and $(cat "$b/status.$i") (new)"
      differ=1
    elif [ "$(cat "$a/status.$i")" != 0 ]; then
      echo "$name: run $i failed with both programs:"; sed 's/^/  /' "$a/stderr.$i"
      differ=1
    fi
  done
  # Every file either side wrote: the album folder and the settings file.
  files=0
  while IFS= read -r f; do
    files=$((files + 1))
    if [ ! -e "$a/$f" ]; then
      echo "$name: only the new program wrote $f"; differ=1
    elif [ ! -e "$b/$f" ]; then
      echo "$name: only the old program wrote $f"; differ=1
    elif ! cmp -s "$a/$f" "$b/$f"; then
      echo "$name: $f differs"; differ=1
    fi
  done < <( (cd "$a" && find album kavlo_settings.xml -type f 2>/dev/null; \
             cd "$b" && find album kavlo_settings.xml -type f 2>/dev/null) | sort -u)
  echo "$name: $files files compared"
done

if [ "$differ" -eq 0 ]; then
  echo "compare-albums: every file of every album is identical"
else
  echo "compare-albums: the programs' output differs (see above)"
fi
exit "$differ"
