#!/usr/bin/env bash
# Figures of the web build, measured in Debian's headless chromium (not a
# test; nothing here passes or fails): the page's size (raw, gzip, brotli),
# the time from loading to the start screen and from the click to the first
# frame, the song's render time in the browser, and the cost of one frame
# (the time spent in each animation-frame callback) scene by scene.
# Usage: bench/web_bench.sh [SECONDS_OF_DEMO]   (default 40; run after scripts/test-web.sh,
# which installs puppeteer-core into tests/web/node_modules)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-40}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}  # emscripten's JS optimiser needs Debian's acorn
scripts/build-web.sh >/dev/null 2>&1
build=${INVITE_WEB_BUILD_DIR:-build-web}
cmake --build "$build" -j"${INVITE_JOBS:-2}" --target web-song-bench >/dev/null
bench_page=$build/app/web/bench
printf '<!doctype html><title>running</title><script src="web-song-bench.js"></script>\n' >"$bench_page/index.html"

port=${INVITE_WEB_BENCH_PORT:-8028}
python3 -m http.server "$((port + 1))" --bind 127.0.0.1 --directory "$bench_page" >/dev/null 2>&1 &
song_server=$!
scripts/serve-web.sh "$port" >/dev/null 2>&1 &
page_server=$!
trap 'kill "$song_server" "$page_server" 2>/dev/null || true' EXIT
sleep 1
cd tests/web
NODE_PATH=$PWD/node_modules node ../../bench/web_bench.mjs "http://127.0.0.1:$port/" \
  "http://127.0.0.1:$((port + 1))/" "$seconds"
