#!/usr/bin/env bash
# Under a window manager: the window's title, size and minimum size; it cannot
# be shrunk below 640 x 400; making it larger does not end the demo; closing
# it does, with exit status 0.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_window_manager
start_demo
window=$(wait_for_window)

[ "$(xdotool getwindowname "$window")" = "tiral25-invite" ] || fail "wrong title"
geometry() { xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
[ "$(geometry)" = "640x400" ] || fail "the window is $(geometry), not 640x400"
xprop -id "$window" WM_NORMAL_HINTS | grep -q "program specified minimum size: 640 by 400" ||
    fail "no minimum size hint of 640 by 400: $(xprop -id "$window" WM_NORMAL_HINTS)"

# The window manager holds the window at its minimum size.
xdotool windowsize "$window" 320 200
sleep 0.5
[ "$(geometry)" = "640x400" ] || fail "the window was shrunk to $(geometry)"
xdotool windowsize "$window" 500 450
sleep 0.5
[ "$(geometry)" = "640x450" ] || fail "a 500x450 request gave $(geometry), not 640x450"

xdotool windowsize "$window" 900 700
sleep 0.5
[ "$(geometry)" = "900x700" ] || fail "the window was not enlarged: $(geometry)"
expect_running_for 1

# Close it as a user does: the window manager sends WM_DELETE_WINDOW.
wmctrl -i -c "$window"
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "closing the window gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
