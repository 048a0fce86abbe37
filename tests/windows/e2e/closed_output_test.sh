#!/usr/bin/env bash
# Started without standard output, the demo drops its time lines and runs
# on. The disk audio driver opens its file after start-up: that file must
# get only samples (whole 8192-frame buffers of floats), no time line.
source "$(dirname "$0")/lib.sh"

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE
SDL_DISKAUDIOFILE=$(windows_path "$WORK/audio.raw")
"${DEMO_RUN[@]}" >&- 2>"$WORK/stderr" &
DEMO_PID=$!
window=$(wait_for_window no-output)
expect_running_for 1
# The demo ends on the key-down; the key-up after it may find the window gone.
xdotool key --window "$window" Escape 2>/dev/null || true
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "exit status $DEMO_STATUS"
# (The disk driver itself logs a warning on standard error.)
if grep -q "tiral25-invite" "$WORK/stderr"; then fail "the demo reported an error"; fi
size=$(stat -c %s "$WORK/audio.raw")
[ "$size" -gt 0 ] || fail "no audio was written"
[ $((size % 32768)) -eq 0 ] || fail "the audio file has $size bytes, not whole buffers"
if grep -q "Time: " "$WORK/audio.raw"; then fail "time lines went into the audio file"; fi
echo "PASS"
