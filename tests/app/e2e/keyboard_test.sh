#!/usr/bin/env bash
# Other keys, releasing Escape and resizing do not end the demo; pressing
# Escape does, at once and with exit status 0.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_demo
window=$(wait_for_window)

xdotool key --window "$window" a space Return q F1 Left
xdotool keyup --window "$window" Escape
xdotool windowsize "$window" 800 500
expect_running_for 1.5

# The demo ends on the key-down; the key-up that xdotool sends after it may
# find the window gone already, which xdotool reports as an X error.
xdotool key --window "$window" Escape 2>/dev/null || true
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "Escape gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
