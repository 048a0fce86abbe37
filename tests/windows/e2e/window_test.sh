#!/usr/bin/env bash
# The demo as a user starts it (wine's own sound output, here onto ALSA's
# null device): a window titled tiral25-invite whose canvas is 640 x 400 (at
# wine's default 96 DPI) and which shows the program's icon;
# other keys do nothing, Escape ends it with exit status 0; standard output
# holds the same time lines as on Linux, byte for byte.
source "$(dirname "$0")/lib.sh"

unset SDL_AUDIODRIVER
start_demo
window=$(wait_for_window)
expect_running_for 1

# The canvas: the area of the background colour (12, 12, 12) is exactly
# 640 x 400 pixels (the window's frame, drawn by wine, lies around it). The
# program's icon in the title bar has that background too: runs of it
# narrower than 24 pixels (the icon is 16) are left out. On a busy machine
# wine may paint the window a moment after the first frame: look a few times.
for attempt in 1 2 3 4 5 6 7 8 9 10; do
    import -window root "$WORK/screen.png"
    canvas=$(convert "$WORK/screen.png" -fill black +opaque '#0C0C0C' -fill white -opaque '#0C0C0C' \
        -morphology Open Rectangle:24x1 -trim -format '%wx%h' info: 2>/dev/null)
    [ "$canvas" != 640x400 ] || break
    sleep 0.5
done
[ "$canvas" = 640x400 ] || fail "the canvas is $canvas, not 640x400"

# The window carries the program's icon (from the exe's resources, through
# SDL's window class): wine hands its 32 x 32 picture to X as it is.
icons=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../../../assets/icon/hicolor")
xprop -id "$window" -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON >"$WORK/icon.txt"
python3 - "$WORK/icon.txt" "$icons" <<'PY' || fail "the window does not show the program's icon"
import subprocess, sys
text = open(sys.argv[1]).read()
if "=" not in text:
    sys.exit("the window has no icon: " + text.strip())
values = [int(v) for v in text.split("=", 1)[1].split(",")]
pictures = {}
while len(values) >= 2:
    w, h = values[0], values[1]
    pictures[w, h] = values[2:2 + w * h]
    values = values[2 + w * h:]
if (32, 32) not in pictures:
    sys.exit("no 32 x 32 picture among the icon's %s" % sorted(pictures))
png = "%s/32x32/apps/tiral25-invite.png" % sys.argv[2]
rgb = subprocess.run(["convert", png, "rgb:-"], capture_output=True, check=True).stdout
expected = [0xFF000000 | rgb[3 * k] << 16 | rgb[3 * k + 1] << 8 | rgb[3 * k + 2] for k in range(32 * 32)]
differing = sum(a != b for a, b in zip(pictures[32, 32], expected))
if differing:
    sys.exit("%d of the 32 x 32 icon's pixels differ from %s" % (differing, png))
PY

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
