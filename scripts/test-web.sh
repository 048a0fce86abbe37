#!/usr/bin/env bash
# Builds the web version and tests the page in three browser engines, driven
# by puppeteer-core (pinned in tests/web/package-lock.json, no browser
# download) and by WebKitWebDriver, against the page that
# scripts/serve-web.sh serves:
#   - Debian's chromium, headless: every check (web_test.mjs), phones
#     (phone_test.mjs) and the visit (engine_test.mjs);
#   - Debian's firefox-esr and WebKitGTK's MiniBrowser, headed on an X
#     display of the script's own (Xvfb): the visit.
# The visit runs twice: without a sound server, and with a PulseAudio daemon
# of the script's own playing into a null sink. Every display and server the
# script starts is stopped when it ends. Reference frames and song lengths
# come from the native invite-tool.
# Ends with one ctest-style line, "N tests failed out of M", for test.sh; a
# part that cannot run (a browser, Xvfb or pulseaudio missing) counts as one
# failed test with one line naming what is missing.
# Knobs: INVITE_BUILD_DIR (native build, default build), INVITE_WEB_TEST_PORT
# (default 8026), INVITE_WEB_OUT (pictures and figures, default build-web/test-web),
# INVITE_WEB_TESTS (a pattern: run only the tests whose names match),
# INVITE_WEB_ENGINES (the engines of the visit, default chromium,firefox,webkit).
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
tool="$PWD/$native/tools/invite-tool/invite-tool"
port=${INVITE_WEB_TEST_PORT:-8026}
engines=${INVITE_WEB_ENGINES:-chromium,firefox,webkit}

# Everything started here is stopped on the way out, whatever happens.
server='' display_pid='' sound_pid=''
# Stops a process of ours and waits for it; that it ended on the signal is
# no failure.
stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || return 0
  wait "$1" 2>/dev/null || true
}
passed=0 failed=0
finish() {
  for pid in $sound_pid $display_pid $server; do stop "$pid"; done
  [ "$counted" = 1 ] || echo "0% tests passed, 1 tests failed out of 1"
}
trap finish EXIT

scripts/serve-web.sh "$port" >"$out/serve.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$out/serve.log" >&2; exit 1; }
  sleep 0.1
done

# A part that cannot run is one failed test, with one line naming what is missing.
cannot() {
  echo "test-web: FAILED: $*" >&2
  failed=$((failed + 1))
}

# An X display of our own for the headed browsers (Firefox has no WebGL
# headless, MiniBrowser no headless mode at all).
start_display() {
  command -v Xvfb >/dev/null || { cannot "cannot start an X display: Xvfb is missing (scripts/install-deps.sh web-test installs it)"; return 1; }
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$out/xvfb.display" >"$out/xvfb.log" 2>&1 &
  display_pid=$!
  for _ in $(seq 100); do
    [ -s "$out/xvfb.display" ] && { export DISPLAY=":$(head -1 "$out/xvfb.display")"; return 0; }
    kill -0 "$display_pid" 2>/dev/null || break
    sleep 0.1
  done
  cannot "cannot start an X display: Xvfb did not start ($(tail -1 "$out/xvfb.log"))"
  return 1
}

# No sound server: clients find none (and start none).
client_conf=$out/pulse-client.conf
printf 'autospawn = no\n' >"$client_conf"
export PULSE_CLIENTCONFIG=$client_conf
export PULSE_SERVER="unix:$out/no-sound-server"

# A PulseAudio daemon of our own, its only sink a null sink, reached at its
# own socket; the browsers find it through PULSE_SERVER.
start_sound_server() {
  command -v pulseaudio >/dev/null || { cannot "cannot start a sound server: pulseaudio is missing (scripts/install-deps.sh web-test installs it)"; return 1; }
  local dir=$out/pulseaudio
  mkdir -p "$dir"
  PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disable-shm=yes --log-target=stderr \
    -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    -L "module-null-sink sink_name=invite_null rate=48000" >"$out/pulseaudio.log" 2>&1 &
  sound_pid=$!
  for _ in $(seq 100); do
    [ -S "$dir/native" ] && { export PULSE_SERVER="unix:$dir/native"; return 0; }
    kill -0 "$sound_pid" 2>/dev/null || break
    sleep 0.1
  done
  cannot "cannot start a sound server: pulseaudio did not start ($(grep -m1 'E: ' "$out/pulseaudio.log" || tail -1 "$out/pulseaudio.log"))"
  return 1
}

# Runs one test file with node's test runner and adds up its summary.
run_tests() {  # LABEL FILE [VAR=VALUE...]
  local label=$1 file=$2 log="$out/node-test-$1.log"
  shift 2
  echo "--- web tests: $label"
  (cd tests/web && env INVITE_WEB_URL="http://127.0.0.1:$port/" INVITE_WEB_OUT="$out" INVITE_TOOL="$tool" \
     WEBKIT_LOG="$out/webkit-$label.log" "$@" \
     node --test ${INVITE_WEB_TESTS:+--test-name-pattern="$INVITE_WEB_TESTS"} "$file") 2>&1 | tee "$log" || true
  local p f
  p=$(sed -n 's/^[^a-z]*pass \([0-9][0-9]*\)$/\1/p' "$log" | tail -1)
  f=$(sed -n 's/^[^a-z]*fail \([0-9][0-9]*\)$/\1/p' "$log" | tail -1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-1}))  # no summary at all: the runner itself failed
}

timed() {  # LABEL COMMAND...: runs it and notes its seconds
  local label=$1 began=$SECONDS
  shift
  "$@"
  echo "$label $((SECONDS - began))" >>"$out/times.txt"
}

# The headed engines need the display; without it they are not run, and
# each counts as failed.
headed=$(tr ',' '\n' <<<"$engines" | grep -v '^chromium$' | paste -sd, || true)
if [ -n "$headed" ] && ! start_display; then
  engines=$(tr ',' '\n' <<<"$engines" | grep '^chromium$' || true)
fi

timed chromium run_tests chromium web_test.mjs
timed phones run_tests phones phone_test.mjs
for sound in "no sound server" pulseaudio; do
  if [ "$sound" = pulseaudio ] && ! start_sound_server; then
    break
  fi
  for engine in ${engines//,/ }; do
    timed "$engine-${sound// /-}" run_tests "$engine-${sound// /-}" engine_test.mjs \
      INVITE_WEB_ENGINES="$engine" INVITE_WEB_SOUND="$sound"
  done
done
stop "$sound_pid"; sound_pid=''
stop "$display_pid"; display_pid=''

total=$((passed + failed))
counted=1
echo "web tests took $((SECONDS - started)) s (build included); by part (s): $(paste -sd' ' "$out/times.txt" 2>/dev/null)"
echo "$(( total > 0 ? 100 * passed / total : 0 ))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]
