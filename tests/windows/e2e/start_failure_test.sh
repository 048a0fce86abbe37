#!/usr/bin/env bash
# With no usable audio driver the demo shows no window, draws no frame,
# prints one line "tiral25-invite: <SDL's text>" and exits with status 1.
source "$(dirname "$0")/lib.sh"

SDL_AUDIODRIVER=no-such-driver start_demo
while kill -0 "$DEMO_PID" 2>/dev/null; do
    expect_no_window "a window appeared without an audio device"
    sleep 0.05
done
wait_for_exit 1
[ "$DEMO_STATUS" -eq 1 ] || fail "exit status $DEMO_STATUS"
[ "$(cat "$WORK/stderr")" = "tiral25-invite: Audio target 'no-such-driver' not available" ] ||
    fail "unexpected error text: $(head -c 300 "$WORK/stderr")"
[ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "expected one line on standard error"
[ ! -s "$WORK/stdout" ] || fail "a frame was drawn"
echo "PASS"
