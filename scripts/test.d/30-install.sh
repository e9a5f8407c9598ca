#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installing Kavlo. `cmake --install` into a scratch prefix must put in place the program,
# its shared files, the man page, the desktop entry, the AppStream metadata and the icons,
# and they must pass desktop-file-validate and appstreamcli validate; the installed
# program makes an album with the templates of its own prefix. `cpack -G DEB` must make
# the Debian package, whose kavlo, unpacked into a scratch root (dpkg -x), makes an album
# from the sample photos in the terminal.
#   scripts/test.d/30-install.sh REPO_ROOT
set -euo pipefail
root="$(cd "${1:-$(dirname "$0")/../..}" && pwd)"
build="${KAVLO_BUILD:-$root/build}"
id="io.github.kavlo.Kavlo"

for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "30-install: $tool is needed (scripts/deps.sh test installs it)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || { echo "30-install: no build at $build (build Kavlo first)" >&2; exit 1; }
# Everything that is installed must be built; after scripts/test.sh's build this does nothing.
cmake --build "$build" -j"$(nproc)" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "30-install: $*"; status=1; }

# Makes an album of the sample photos with the kavlo at $1, without a display, and checks it.
album_from_samples() {
  local kavlo="$1" name="$2"
  local photos="$work/$name/Kavlo sample photos"
  mkdir -p "$photos" "$work/$name/config"
  find "$root/samples" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.tif' \) -exec cp {} "$photos/" \;
  local count; count="$(find "$photos" -maxdepth 1 -type f | wc -l)"
  local out
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/$name/config" \
         timeout 300 "$kavlo" "$photos" -Automation 2>"$work/$name/stderr")" || {
    fail "$name: the album run failed:"; cat "$work/$name/stderr"; return; }
  [ "$out" = "$photos/album/index.html" ] || fail "$name: unexpected output: $out"
  local f
  for f in index.html ext/js/albumdef.js ext/xml/albuminfo.xml ext/kavlo.ico ext/css/appearance.css; do
    [ -s "$photos/album/$f" ] || fail "$name: the album has no $f"
  done
  for f in small medium; do
    local n; n="$(find "$photos/album/$f" -name '*.jpg' 2>/dev/null | wc -l)"
    [ "$n" -eq "$count" ] || fail "$name: $f/ holds $n images for $count photos"
  done
  file "$photos/album/medium/0001.jpg" | grep -q "JPEG image data" || fail "$name: medium/0001.jpg is not a JPEG"
}

# --- the install tree
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kavlo share/kavlo/templates/js2/index.html share/kavlo/readme.html share/kavlo/README.md \
         share/kavlo/skins/index.html share/man/man1/kavlo.1 \
         "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
         "share/icons/hicolor/scalable/apps/$id.svg"; do
  [ -s "$prefix/$f" ] || fail "cmake --install put no $f in place"
done
for size in 48 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  file "$png" 2>/dev/null | grep -q "PNG image data, $size x $size," || fail "no $size x $size PNG icon at $png"
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
grep -qx 'Exec=kavlo %f' "$desktop" || fail "the desktop entry does not start kavlo on a folder (%f)"
grep -q '^MimeType=.*inode/directory;' "$desktop" || fail "the desktop entry does not open folders"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $id.metainfo.xml"
grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "AppStream launchable"
grep -q '<binary>kavlo</binary>' "$metainfo" || fail "AppStream does not provide the binary kavlo"
version="$("$prefix/bin/kavlo" --version | awk '{print $2}')"
newest="$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)"
[ "$version" = "$newest" ] || fail "kavlo is version $version, the newest AppStream release is $newest"

# The man page follows --help: every option is an entry of its own. help2man writes
# "--no-gui" as "\fB\-\-no\-gui\fR".
man="$prefix/share/man/man1/kavlo.1"
while IFS= read -r opt; do
  esc="\\fB$(printf '%s' "$opt" | sed 's/-/\\-/g')\\fR"
  E="$esc" awk 'prev == ".TP" && index($0, ENVIRON["E"]) == 1 { found = 1 } { prev = $0 } END { exit !found }' "$man" ||
    fail "the man page has no entry for $opt"
done < <("$prefix/bin/kavlo" --help | sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/  .*//' | tr ',' '\n' |
         awk '{print $1}' | grep -E '^-{1,2}[A-Za-z]')
for word in SYNOPSIS ENVIRONMENT FILES EXAMPLES KAVLO_FOOTER KAVLO_FOOTER_NAME KAVLO_LINK_TXT \
            KAVLO_LINK_URL XDG_CONFIG_HOME kavlo_settings.xml albuminfo.xml share/kavlo/templates; do
  grep -q -- "$word" "$man" || fail "the man page does not mention $word"
done
if command -v man >/dev/null 2>&1; then
  warnings="$(MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "the man page does not format cleanly: $warnings"
fi

# The installed program finds the templates of its own prefix (not the build tree's).
album_from_samples "$prefix/bin/kavlo" install-tree

# --- the Debian package
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || {
  fail "cpack -G DEB failed:"; cat "$work/cpack.log"; exit 1; }
deb="$(find "$work/package" -maxdepth 1 -name 'kavlo_*.deb' | head -1)"
[ -n "$deb" ] || { fail "cpack made no kavlo_*.deb"; exit 1; }
depends="$(dpkg-deb -f "$deb" Depends)"
echo "30-install: $(basename "$deb") Depends: $depends"
for lib in libc6 libjpeg62-turbo libtiff6 libexpat1 libfreetype6 libfontconfig1 libqt6widgets6; do
  [[ "$depends" == *"$lib "* || "$depends" == *"$lib," || "$depends" == *"$lib" ]] ||
    fail "the package does not depend on $lib"
done
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "the package's section is not graphics"
contents="$(dpkg-deb -c "$deb")"
grep -q " ./usr/bin/kavlo$" <<<"$contents" || fail "the package holds no /usr/bin/kavlo"
dpkg -x "$deb" "$work/debroot"
album_from_samples "$work/debroot/usr/bin/kavlo" package

[ $status -eq 0 ] && echo "30-install: the install tree and the Debian package are complete and make albums"
exit $status
