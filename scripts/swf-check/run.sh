#!/usr/bin/env bash
# Checks the SWF writer's output with a real player. Writes the check movies with the test
# program of a build, renders each in Ruffle (headless Debian Chromium, files served from
# 127.0.0.1) and compares colours at known points; swf-parser must decode every tag. The
# compiler's self-check script runs as script.swf and must paint the stage green. Then a flip-book
# package (three coloured pages, a clip on page 2) is exported with the Ruffle runtime in it and
# opened through its index.html: first page, the first click on "next", and a click on the clip are
# checked; the same package, with the player the build installed, is served by the program's
# Preview server (it must play) and opened from disk (it must say that it has to be served). A book
# of 300 pages is opened the same way (book.mjs: spread, first click, End within 2 s, a dragged
# leaf, counter, no warning). Last,
# page movies of shapes, pictures and texts are measured against the program's own drawing of
# their pages (pagemovies.mjs states the bounds).
# Usage: scripts/swf-check/run.sh <build-dir>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: run.sh <build-dir>}" && pwd)"
out="$build/swf-check"
rm -rf "$out"
mkdir -p "$out/movies" "$out/screenshots"

# Node packages from the lock file; no tool may fetch a browser of its own.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
if [ ! -d "$here/node_modules/@ruffle-rs/ruffle" ] || [ ! -d "$here/node_modules/playwright-core" ] ||
   [ ! -d "$here/node_modules/swf-parser" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

LEAFWRIGHT_SWF_CHECK_DIR="$out/movies" \
LEAFWRIGHT_SWF_CHECK_SCRIPT="$here/../../platform/swf/tests/scripts/selfcheck.as" \
  "$build/tests/swf_tests" \
  --gtest_filter='SwfCheckMovies.*' --gtest_brief=1
node "$here/check.mjs" "$out/movies" "$out/screenshots"

# The package carries the player the build installed (swfexport/player), as the program's do.
env -u LEAFWRIGHT_RUFFLE_DIR LEAFWRIGHT_FLIPBOOK_CHECK_DIR="$out/flipbook" \
  "$build/tests/swfexport_tests" \
  --gtest_filter='FlipBookBrowserPackage.WriteForTheBrowserCheck' --gtest_brief=1
node "$here/flipbook.mjs" "$out/flipbook" "$out/screenshots"
node "$here/preview.mjs" "$build/swfexport/flarewing_serve_package" "$out/flipbook" "$out/screenshots"

env -u LEAFWRIGHT_RUFFLE_DIR LEAFWRIGHT_BOOK_CHECK_DIR="$out/book" \
  "$build/tests/swfexport_tests" \
  --gtest_filter='FlipBookBrowserPackage.WriteBook*' --gtest_brief=1
node "$here/book.mjs" "$out/book" "$out/screenshots"

LEAFWRIGHT_PAGEMOVIE_CHECK_DIR="$out/pagemovies" \
  "$build/tests/swfexport_tests" \
  --gtest_filter='PageMoviesBrowserCheck.*' --gtest_brief=1
node "$here/pagemovies.mjs" "$out/pagemovies" "$out/screenshots"
