#!/usr/bin/env bash
# Builds the web version and tests it in a real browser: Debian's chromium,
# headless, driven by puppeteer-core (pinned in tests/web/package-lock.json,
# no browser download) against the page that scripts/serve-web.sh serves.
# Reference frames and song lengths come from the native invite-tool.
# Ends with one ctest-style line, "N tests failed out of M", for test.sh.
# Knobs: INVITE_BUILD_DIR (native build, default build), INVITE_WEB_TEST_PORT
# (default 8026), INVITE_WEB_OUT (pictures and figures, default build-web/test-web),
# INVITE_WEB_TESTS (a pattern: run only the tests whose names match).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
# A failure before the browser tests ran (a missing tool, a broken build)
# still counts as one failed test.
counted=0
trap '[ "$counted" = 1 ] || echo "0% tests passed, 1 tests failed out of 1"' EXIT
scripts/install-deps.sh web-test
for tool in node npm chromium; do
  command -v "$tool" >/dev/null || { echo "test-web: missing tool: $tool" >&2; exit 1; }
done
scripts/build-web.sh

native=${INVITE_BUILD_DIR:-build}
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" -j"${INVITE_JOBS:-2}" --target invite-tool

# puppeteer-core exactly as the lock file says; never a browser of its own.
lock_stamp=tests/web/node_modules/.installed-package-lock.json
if ! cmp -s tests/web/package-lock.json "$lock_stamp"; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-fund --no-audit --loglevel=error)
  cp tests/web/package-lock.json "$lock_stamp"
fi

out=${INVITE_WEB_OUT:-$PWD/build-web/test-web}
rm -rf "$out" && mkdir -p "$out"
port=${INVITE_WEB_TEST_PORT:-8026}
scripts/serve-web.sh "$port" >"$out/serve.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; [ "$counted" = 1 ] || echo "0% tests passed, 1 tests failed out of 1"' EXIT
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$out/serve.log" >&2; exit 1; }
  sleep 0.1
done

status=0
(cd tests/web && INVITE_WEB_URL="http://127.0.0.1:$port/" INVITE_WEB_OUT="$out" \
   INVITE_TOOL="$(cd "../../$native" && pwd)/tools/invite-tool/invite-tool" \
   node --test ${INVITE_WEB_TESTS:+--test-name-pattern="$INVITE_WEB_TESTS"} web_test.mjs) 2>&1 | tee "$out/node-test.log" || status=$?
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

passed=$(sed -n 's/^[^a-z]*pass \([0-9][0-9]*\)$/\1/p' "$out/node-test.log" | tail -1)
failed=$(sed -n 's/^[^a-z]*fail \([0-9][0-9]*\)$/\1/p' "$out/node-test.log" | tail -1)
passed=${passed:-0}
failed=${failed:-1}  # no summary at all: the runner itself failed
[ "$failed" -eq 0 ] || status=1
total=$((passed + failed))
counted=1
echo "web tests took $((SECONDS - started)) s (build included)"
echo "$(( total > 0 ? 100 * passed / total : 0 ))% tests passed, $failed tests failed out of $total"
exit "$status"
