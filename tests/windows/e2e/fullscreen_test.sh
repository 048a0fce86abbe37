#!/usr/bin/env bash
# F11 and Alt+Enter under wine, as on Linux: fullscreen covers the screen
# with the canvas letterboxed and the pointer hidden, the same keys give the
# window back where it was, a held key switches once; Escape ends the demo
# at once in fullscreen, with exit status 0. (The wine session has no window
# manager: wine places the window and makes it cover the screen itself.)
source "$(dirname "$0")/lib.sh"

start_demo
window=$(wait_for_window)
check_fullscreen_keys "$window"
expect_running_for 0.5

# The demo ends on the key-down; the key-up after it may find the window gone.
pressed=$(date +%s%N)
xdotool key Escape 2>/dev/null || true
wait_for_exit 10
echo "Escape in fullscreen: ended after $((($(date +%s%N) - pressed) / 1000000)) ms"
[ "$DEMO_STATUS" -eq 0 ] || fail "Escape in fullscreen gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
