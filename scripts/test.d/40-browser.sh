#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Browser tests of generated albums: the album template set, the gallery and
# slideshow pages and albums made by the kavlo command line, opened in the
# system Chromium through playwright-core. Screenshots (phone and desktop) go
# to build/test-output/browser/.
#   scripts/test.d/40-browser.sh REPO_ROOT
set -euo pipefail
root="$(cd "${1:-$(dirname "$0")/../..}" && pwd)"
dir="$root/tests/browser"

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "40-browser: node and npm are needed (scripts/deps.sh test installs them)" >&2
  exit 1
fi
if [ ! -x "${KAVLO_CHROMIUM:-/usr/bin/chromium}" ]; then
  echo "40-browser: no Chromium at ${KAVLO_CHROMIUM:-/usr/bin/chromium}" >&2
  exit 1
fi
if [ ! -f "$root/build/app/templates/js2/index.html" ]; then
  echo "40-browser: no template set at $root/build/app/templates (build Kavlo first)" >&2
  exit 1
fi

cd "$dir"
npm ci --no-audit --no-fund --loglevel=error >/dev/null

export KAVLO_PROGRAM="${KAVLO_PROGRAM:-$root/build/app/kavlo}"
export KAVLO_TEMPLATES="${KAVLO_TEMPLATES:-$root/build/app/templates}"
export KAVLO_HELP="${KAVLO_HELP:-$root/build/app}"
export KAVLO_BROWSER_OUTPUT="${KAVLO_BROWSER_OUTPUT:-$root/build/test-output/browser}"
mkdir -p "$KAVLO_BROWSER_OUTPUT"

# One test file at a time (each starts its own Chromium, and the machine is small);
# a failing file does not stop the others.
status=0
for t in templates.test.js album.test.js viewer.test.js sanitiser.test.js a11y.test.js bigalbum.test.js perf.test.js \
         i18n-skins.test.js viewers.test.js help.test.js cli.test.js; do
  echo "--- $t"
  node --test --test-reporter=spec "$t" || status=1
done
exit $status
