#!/usr/bin/env bash
# Under a window manager: F11 and Alt+Enter (the main or the keypad Enter)
# switch the window to fullscreen, covering the screen with the canvas
# letterboxed and the pointer hidden, and back to the 640 x 400 window where
# it was, with the pointer shown. A held key switches once, whatever its
# auto-repeat. Escape ends the demo at once in fullscreen too.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_window_manager
start_demo
window=$(wait_for_window)

[[ "$(window_geometry "$window")" == 640x400+* ]] ||
    fail "the window starts as $(window_geometry "$window"), not 640x400"
check_fullscreen_keys "$window" window-manager
expect_running_for 0.5

# The demo ends on the key-down; the key-up that xdotool sends after it may
# find the window gone already.
pressed=$(date +%s%N)
xdotool key Escape 2>/dev/null || true
wait_for_exit 10
echo "Escape in fullscreen: ended after $((($(date +%s%N) - pressed) / 1000000)) ms"
[ "$DEMO_STATUS" -eq 0 ] || fail "Escape in fullscreen gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
