#!/usr/bin/env bash
# Fatal start-up failures: one line "tiral25-invite: <SDL's text>" on standard
# error, nothing on standard output, exit status 1.
source "$(dirname "$0")/lib.sh"

run_demo() {
    DEMO_STATUS=0
    "${DEMO_RUN[@]}" >"$WORK/stdout" 2>"$WORK/stderr" || DEMO_STATUS=$?
}

# No usable audio driver. The display is unusable as well: had the demo
# started video before audio, the error would be about the display.
SDL_AUDIODRIVER=no-such-driver SDL_VIDEODRIVER=x11 DISPLAY=:32000 run_demo
[ "$DEMO_STATUS" -eq 1 ] || fail "no audio driver: exit status $DEMO_STATUS"
[ "$(cat "$WORK/stderr")" = "tiral25-invite: Audio target 'no-such-driver' not available" ] ||
    fail "no audio driver: unexpected error text"
[ ! -s "$WORK/stdout" ] || fail "no audio driver: a frame was drawn"

# Audio works, but there is no display.
SDL_VIDEODRIVER=x11 DISPLAY=:32000 run_demo
[ "$DEMO_STATUS" -eq 1 ] || fail "no display: exit status $DEMO_STATUS"
[ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "no display: expected one error line"
grep -q "^tiral25-invite: ." "$WORK/stderr" || fail "no display: unexpected error text"
if grep -qi "audio" "$WORK/stderr"; then fail "no display: the error is about audio"; fi
[ ! -s "$WORK/stdout" ] || fail "no display: a frame was drawn"

# No display at all and no video driver asked for: the demo says so at once
# instead of running unseen on SDL's offscreen driver. The timeout catches a
# demo that plays on invisibly.
DEMO_STATUS=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "${DEMO_RUN[@]}" \
    >"$WORK/stdout" 2>"$WORK/stderr" || DEMO_STATUS=$?
[ "$DEMO_STATUS" -eq 1 ] || fail "no display variable: exit status $DEMO_STATUS"
[ "$(cat "$WORK/stderr")" = "tiral25-invite: no display found" ] ||
    fail "no display variable: unexpected error text"
[ ! -s "$WORK/stdout" ] || fail "no display variable: a frame was drawn"
echo "PASS"
