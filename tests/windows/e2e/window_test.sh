#!/usr/bin/env bash
# The demo as a user starts it (wine's own sound output, here onto ALSA's
# null device): a window titled tiral25-invite whose canvas is 640 x 400;
# other keys do nothing, Escape ends it with exit status 0; standard output
# holds the same time lines as on Linux, byte for byte.
source "$(dirname "$0")/lib.sh"

unset SDL_AUDIODRIVER
start_demo
window=$(wait_for_window)
expect_running_for 1

# The canvas: the area of the background colour (12, 12, 12) is exactly
# 640 x 400 pixels (the window's frame, drawn by wine, lies around it).
import -window root "$WORK/screen.png"
canvas=$(convert "$WORK/screen.png" -fill black +opaque '#0C0C0C' -fill white -opaque '#0C0C0C' \
    -trim -format '%wx%h' info:)
[ "$canvas" = 640x400 ] || fail "the canvas is $canvas, not 640x400"

xdotool key --window "$window" a space Return q F1
xdotool keyup --window "$window" Escape
expect_running_for 1

# The demo ends on the key-down; the key-up after it may find the window gone.
xdotool key --window "$window" Escape 2>/dev/null || true
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "Escape gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
if grep -q $'\r' "$WORK/stdout"; then fail "standard output holds carriage returns"; fi
head -c 15 "$WORK/stdout" | cmp -s - <(printf 'Time: 0.001\033[F\n') ||
    fail "the first line is not 'Time: 0.001' ESC [F newline"
check_time_lines
echo "PASS"
