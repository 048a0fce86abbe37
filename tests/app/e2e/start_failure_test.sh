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

# A display that is named but cannot be reached (no X server at that number,
# no Wayland compositor at that socket): SDL would fall back to its offscreen
# driver on its own and the demo would play unseen. It stops instead, names
# the display, and no sound is played: SDL's disk driver writes every sample
# the device plays (silence while it is paused) into a file.
unreachable=5999
while [ -e "/tmp/.X11-unix/X$unreachable" ] || [ -e "/tmp/.X$unreachable-lock" ]; do
    unreachable=$((unreachable + 1))
done
while IFS='|' read -r name display expected; do
    DEMO_STATUS=0
    rm -f "$WORK/sound.raw"
    # shellcheck disable=SC2086
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER $display SDL_AUDIODRIVER=disk \
        SDL_DISKAUDIOFILE="$WORK/sound.raw" XDG_RUNTIME_DIR="$WORK" timeout 20 "${DEMO_RUN[@]}" \
        >"$WORK/stdout" 2>"$WORK/stderr" || DEMO_STATUS=$?
    [ "$DEMO_STATUS" -eq 1 ] || fail "$name: exit status $DEMO_STATUS"
    # SDL's disk driver announces itself on standard error first.
    [ "$(grep -v '^CRITICAL: ' "$WORK/stderr")" = "$expected" ] || fail "$name: expected '$expected'"
    [ ! -s "$WORK/stdout" ] || fail "$name: a frame was drawn"
    if [ -f "$WORK/sound.raw" ] && tr -d '\0' <"$WORK/sound.raw" | grep -q .; then
        fail "$name: the song was heard"
    fi
done <<ROWS
unreachable X display|DISPLAY=:$unreachable|tiral25-invite: no display found at DISPLAY=:$unreachable
unreachable Wayland display|WAYLAND_DISPLAY=no-such-wayland-$$|tiral25-invite: no display found at WAYLAND_DISPLAY=no-such-wayland-$$
both unreachable|DISPLAY=:$unreachable WAYLAND_DISPLAY=no-such-wayland-$$|tiral25-invite: no display found at DISPLAY=:$unreachable or WAYLAND_DISPLAY=no-such-wayland-$$
ROWS
echo "PASS"
