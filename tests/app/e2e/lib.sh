# Shared pieces of the end-to-end tests: each test starts the real demo
# binary the way a user would, on its own Xvfb display (and window manager
# where one matters), with SDL's dummy or disk audio driver.
# Usage: source lib.sh DEMO_BINARY
set -euo pipefail

DEMO=${1:?usage: $0 DEMO_BINARY}
WORK=$(mktemp -d)
BACKGROUND=()
DEMO_PID=

cleanup() {
    local pid
    [ -n "$DEMO_PID" ] && kill -KILL "$DEMO_PID" 2>/dev/null || true
    for pid in "${BACKGROUND[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/stderr" ]; then
        echo "--- the demo's standard error:" >&2
        head -c 2000 "$WORK/stderr" >&2
    fi
    exit 1
}

# No real sound device in tests: SDL's dummy driver takes the samples.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# A fresh X server on a free display. SDL_VIDEODRIVER=x11 makes a missing
# display fail loudly instead of SDL silently picking its offscreen driver.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    BACKGROUND+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$(tr -d '\n' <"$WORK/display")"
    export SDL_VIDEODRIVER=x11
}

# openbox on the current display: it enforces size hints and closes windows
# the way a user does (WM_DELETE_WINDOW).
start_window_manager() {
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    BACKGROUND+=($!)
    local i
    # Up to 30 s: on a loaded machine openbox can take more than ten.
    for i in $(seq 300); do
        wmctrl -m >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# The command that starts the demo; env execs it, so a background start's $!
# is the demo itself. In a sanitizer build INVITE_DEMO_PRELOAD keeps SDL's GL
# driver loaded for LeakSanitizer; it is given to the demo alone, not to the
# X server or the tools.
DEMO_RUN=("$DEMO")
if [ -n "${INVITE_DEMO_PRELOAD:-}" ]; then DEMO_RUN=(env "LD_PRELOAD=$INVITE_DEMO_PRELOAD" "$DEMO"); fi

# Starts the demo in the background; its output goes to $WORK/stdout and
# $WORK/stderr.
start_demo() {
    "${DEMO_RUN[@]}" >"$WORK/stdout" 2>"$WORK/stderr" &
    DEMO_PID=$!
}

# Prints the id of the demo's window once it exists. SDL's OpenGL renderer
# re-creates the window when it is made, so unless standard output is closed
# ($1 = no-output) this first waits for the first frame's time line: the
# window is final by then.
wait_for_window() {
    local id i
    if [ "${1:-}" != no-output ]; then
        for i in $(seq 300); do
            [ -s "$WORK/stdout" ] && break
            kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before its first frame"
            sleep 0.1
        done
        [ -s "$WORK/stdout" ] || fail "no first frame within 30 s"
    fi
    id=$(timeout 30 xdotool search --sync --onlyvisible --name '^tiral25-invite$' | head -n 1) ||
        fail "no window titled tiral25-invite appeared"
    [ -n "$id" ] || fail "no window titled tiral25-invite appeared"
    echo "$id"
}

# Waits up to $1 seconds for the demo to end and sets DEMO_STATUS.
wait_for_exit() {
    local tenths=$(($1 * 10)) i
    for i in $(seq "$tenths"); do
        kill -0 "$DEMO_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$DEMO_PID" 2>/dev/null && fail "the demo did not end within $1 s"
    DEMO_STATUS=0
    wait "$DEMO_PID" || DEMO_STATUS=$?
    DEMO_PID=
}

# Fails unless the demo is still running after $1 seconds.
expect_running_for() {
    sleep "$1"
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended, but it should still run"
}

# Checks that $WORK/stdout holds only complete time lines, the first at
# t = 0.001, then non-decreasing times no later than 114.
check_time_lines() {
    python3 - "$WORK/stdout" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
if not data:
    sys.exit("no time line was written")
if not data.endswith(b"\x1b[F\n"):
    sys.exit("the last line is incomplete: %r" % data[-40:])
lines = data.split(b"\n")[:-1]
pattern = re.compile(rb"Time: (0|[1-9][0-9]*)(\.[0-9]{0,2}[1-9])?\x1b\[F")
times = []
for number, line in enumerate(lines, 1):
    m = pattern.fullmatch(line)
    if not m:
        sys.exit("line %d is not a time line: %r" % (number, line))
    times.append(float(line[6:-3]))
if lines[0] != b"Time: 0.001\x1b[F":
    sys.exit("the first line is %r" % lines[0])
if len(times) > 1 and times[1] > 0.5:
    sys.exit("the first loop frame is at %s, not near 0" % times[1])
loop = times[1:]
if any(b < a for a, b in zip(loop, loop[1:])):
    sys.exit("the loop's times go backwards")
if any(t > 114.0 for t in times):
    sys.exit("a frame was drawn after 114 s")
print("%d time lines, last %s" % (len(times), lines[-1][6:-3].decode()))
PY
}

# After a run with standard output closed and the disk audio driver writing
# to $1: the demo exited 0 without an error line, and the audio file holds
# whole buffers of sound and no time line (no file took standard output's
# place).
check_closed_output_run() {
    [ "$DEMO_STATUS" -eq 0 ] || fail "exit status $DEMO_STATUS"
    # (The disk driver itself logs a warning on standard error.)
    if grep -q "tiral25-invite" "$WORK/stderr"; then fail "the demo reported an error"; fi
    local size
    size=$(stat -c %s "$1")
    [ "$size" -gt 0 ] || fail "no audio was written"
    [ $((size % 32768)) -eq 0 ] || fail "the audio file has $size bytes, not whole buffers"
    if grep -q "Time: " "$1"; then fail "time lines went into the audio file"; fi
}
