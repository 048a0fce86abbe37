# Shared pieces of the end-to-end tests: each test starts the real demo
# binary the way a user would, on its own Xvfb display (and window manager
# where one matters), with SDL's dummy or disk audio driver.
# Usage: source lib.sh DEMO_BINARY
set -euo pipefail

DEMO=${1:?usage: $0 DEMO_BINARY}
WORK=$(mktemp -d)
BACKGROUND=()
DEMO_PID=

cleanup() {
    local pid
    [ -n "$DEMO_PID" ] && kill -KILL "$DEMO_PID" 2>/dev/null || true
    for pid in "${BACKGROUND[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/stderr" ]; then
        echo "--- the demo's standard error:" >&2
        head -c 2000 "$WORK/stderr" >&2
    fi
    exit 1
}

# No real sound device in tests: SDL's dummy driver takes the samples.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# A fresh X server on a free display. SDL_VIDEODRIVER=x11 makes a missing
# display fail loudly instead of SDL silently picking its offscreen driver.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    BACKGROUND+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$(tr -d '\n' <"$WORK/display")"
    export SDL_VIDEODRIVER=x11
}

# openbox on the current display: it enforces size hints and closes windows
# the way a user does (WM_DELETE_WINDOW).
start_window_manager() {
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    BACKGROUND+=($!)
    local i
    # Up to 30 s: on a loaded machine openbox can take more than ten.
    for i in $(seq 300); do
        wmctrl -m >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# The command that starts the demo; env execs it, so a background start's $!
# is the demo itself. In a sanitizer build INVITE_DEMO_PRELOAD keeps SDL's GL
# driver loaded for LeakSanitizer; it is given to the demo alone, not to the
# X server or the tools.
DEMO_RUN=("$DEMO")
if [ -n "${INVITE_DEMO_PRELOAD:-}" ]; then DEMO_RUN=(env "LD_PRELOAD=$INVITE_DEMO_PRELOAD" "$DEMO"); fi

# Starts the demo in the background; its output goes to $WORK/stdout and
# $WORK/stderr.
start_demo() {
    "${DEMO_RUN[@]}" >"$WORK/stdout" 2>"$WORK/stderr" &
    DEMO_PID=$!
}

# Prints the id of the demo's window once it exists. SDL's OpenGL renderer
# re-creates the window when it is made, so unless standard output is closed
# ($1 = no-output) this first waits for the first frame's time line: the
# window is final by then.
wait_for_window() {
    local id i
    if [ "${1:-}" != no-output ]; then
        for i in $(seq 300); do
            [ -s "$WORK/stdout" ] && break
            kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before its first frame"
            sleep 0.1
        done
        [ -s "$WORK/stdout" ] || fail "no first frame within 30 s"
    fi
    id=$(timeout 30 xdotool search --sync --onlyvisible --name '^tiral25-invite$' | head -n 1) ||
        fail "no window titled tiral25-invite appeared"
    [ -n "$id" ] || fail "no window titled tiral25-invite appeared"
    echo "$id"
}

# Waits up to $1 seconds for the demo to end and sets DEMO_STATUS.
wait_for_exit() {
    local tenths=$(($1 * 10)) i
    for i in $(seq "$tenths"); do
        kill -0 "$DEMO_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$DEMO_PID" 2>/dev/null && fail "the demo did not end within $1 s"
    DEMO_STATUS=0
    wait "$DEMO_PID" || DEMO_STATUS=$?
    DEMO_PID=
}

# Fails unless the demo is still running after $1 seconds.
expect_running_for() {
    sleep "$1"
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended, but it should still run"
}

# Checks that $WORK/stdout holds only complete time lines, the first at
# t = 0.001, then non-decreasing times no later than 114.
check_time_lines() {
    python3 - "$WORK/stdout" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
if not data:
    sys.exit("no time line was written")
if not data.endswith(b"\x1b[F\n"):
    sys.exit("the last line is incomplete: %r" % data[-40:])
lines = data.split(b"\n")[:-1]
pattern = re.compile(rb"Time: (0|[1-9][0-9]*)(\.[0-9]{0,2}[1-9])?\x1b\[F")
times = []
for number, line in enumerate(lines, 1):
    m = pattern.fullmatch(line)
    if not m:
        sys.exit("line %d is not a time line: %r" % (number, line))
    times.append(float(line[6:-3]))
if lines[0] != b"Time: 0.001\x1b[F":
    sys.exit("the first line is %r" % lines[0])
if len(times) > 1 and times[1] > 0.5:
    sys.exit("the first loop frame is at %s, not near 0" % times[1])
loop = times[1:]
if any(b < a for a, b in zip(loop, loop[1:])):
    sys.exit("the loop's times go backwards")
if any(t > 114.0 for t in times):
    sys.exit("a frame was drawn after 114 s")
print("%d time lines, last %s" % (len(times), lines[-1][6:-3].decode()))
PY
}

# After a run with standard output closed and the disk audio driver writing
# to $1: the demo exited 0 without an error line, and the audio file holds
# whole buffers of sound and no time line (no file took standard output's
# place).
check_closed_output_run() {
    [ "$DEMO_STATUS" -eq 0 ] || fail "exit status $DEMO_STATUS"
    # (The disk driver itself logs a warning on standard error.)
    if grep -q "tiral25-invite" "$WORK/stderr"; then fail "the demo reported an error"; fi
    local size
    size=$(stat -c %s "$1")
    [ "$size" -gt 0 ] || fail "no audio was written"
    [ $((size % 32768)) -eq 0 ] || fail "the audio file has $size bytes, not whole buffers"
    if grep -q "Time: " "$1"; then fail "time lines went into the audio file"; fi
}

# Succeeds when the mouse pointer, where it is now, is drawn: the cursor
# image the X server shows has an opaque pixel. SDL hides the pointer by
# giving its window a blank cursor, and so does wine. Read through XFixes
# (libXfixes comes with SDL's X11 support and with wine).
pointer_drawn() {
    python3 - <<'PY'
import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
xfixes = ctypes.CDLL("libXfixes.so.3")
class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                        ctypes.POINTER(ctypes.c_int)]
xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit(2)
event_base, error_base = ctypes.c_int(), ctypes.c_int()
if not xfixes.XFixesQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
    sys.exit(2)
image = xfixes.XFixesGetCursorImage(display)
if not image:
    sys.exit(2)
cursor = image.contents
# The pixels are ARGB, one to an unsigned long.
opaque = any(cursor.pixels[i] >> 24 for i in range(cursor.width * cursor.height))
sys.exit(0 if opaque else 1)
PY
}

# Prints the geometry of window $1 as WIDTHxHEIGHT+X+Y, the position on the
# screen.
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}

# Waits up to $3 seconds for window $1 to have the geometry $2; fails
# otherwise.
wait_for_geometry() {
    local i
    for i in $(seq $(($3 * 10))); do
        [ "$(window_geometry "$1")" = "$2" ] && return 0
        sleep 0.1
    done
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended while its window was to become $2"
    fail "the window is $(window_geometry "$1"), not $2 after $3 s"
}

# Checks a screenshot ($1, the whole screen) of the demo in fullscreen: the
# 640 x 400 canvas enlarged by a whole factor, as large as the screen allows,
# centred, with bars of the background colour on two sides and nothing
# drawn on them; each canvas pixel a uniform square of screen pixels
# (nearest-neighbour scaling, as in a window).
check_letterboxed() {
    python3 - "$1" <<'PY'
import subprocess, sys
info = subprocess.run(["identify", "-format", "%w %h", sys.argv[1]],
                      capture_output=True, text=True, check=True).stdout.split()
width, height = int(info[0]), int(info[1])
rgb = subprocess.run(["convert", sys.argv[1], "-depth", "8", "rgb:-"],
                     capture_output=True, check=True).stdout
scale = min(width // 640, height // 400)
if min(width / 640, height / 400) != scale:
    sys.exit("a %dx%d screen holds the canvas at %.3f times, not a whole factor: "
             "choose another screen size for this check" % (width, height,
                                                            min(width / 640, height / 400)))
left, top = (width - 640 * scale) // 2, (height - 400 * scale) // 2
background = bytes((12, 12, 12))
def pixel(x, y):
    i = 3 * (y * width + x)
    return rgb[i:i + 3]
right, bottom = left + 640 * scale, top + 400 * scale
bars = [(0, 0, width, top), (0, bottom, width, height), (0, top, left, bottom),
        (right, top, width, bottom)]
drawn_on_bars = sum(1 for x0, y0, x1, y1 in bars for y in range(y0, y1) for x in range(x0, x1)
                    if pixel(x, y) != background)
foreground = uneven = 0
for cy in range(400):
    for cx in range(640):
        x0, y0 = left + cx * scale, top + cy * scale
        first = pixel(x0, y0)
        if first != background:
            foreground += 1
        if any(pixel(x0 + dx, y0 + dy) != first for dy in range(scale) for dx in range(scale)):
            uneven += 1
print("canvas at %dx%d+%d+%d on a %dx%d screen: %d canvas pixels drawn, %d uneven squares, "
      "%d screen pixels drawn on the bars" % (640 * scale, 400 * scale, left, top, width, height,
                                              foreground, uneven, drawn_on_bars))
if foreground < 100:
    sys.exit("the canvas area is nearly empty: the picture is not there")
if uneven:
    sys.exit("%d canvas pixels are not uniform %dx%d squares: the canvas is not scaled by "
             "%d and placed at %d,%d" % (uneven, scale, scale, scale, left, top))
if drawn_on_bars:
    sys.exit("%d pixels are drawn outside the letterboxed canvas" % drawn_on_bars)
PY
}

# F11 and Alt+Enter (the main and the keypad Enter) on the demo's window $1,
# each key both ways, then each held down: fullscreen covers the screen with
# the canvas letterboxed and the pointer hidden; the window comes back with
# its earlier geometry and the pointer shown. A held key switches once,
# whatever its auto-repeat. Other keys leave fullscreen as it is. Leaves the
# demo in fullscreen. $2 is "window-manager" when one runs: it is then asked
# to focus the window and must show the fullscreen state (_NET_WM_STATE).
# Without one (wine) only F11 is held down: after a held Alt+Enter, wine
# loses the next key presses now and then (its Alt handling, not the demo's).
#
# The keys go through the X server's keyboard (XTEST) to the focused window,
# as a user's do: with modifier state, and with the server's auto-repeat
# while a key is held (about 25 repeats a second after 660 ms on Xvfb).
check_fullscreen_keys() {
    local window=$1 manager=${2:-} screen fullscreen windowed key state picture case i
    screen=$(xwininfo -root | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
    fullscreen=$screen+0+0
    windowed=$(window_geometry "$window")
    local -A geometry=([fullscreen]=$fullscreen [window]=$windowed)
    if [ "$manager" = window-manager ]; then
        xdotool windowactivate --sync "$window"
    else
        xdotool windowfocus --sync "$window"
    fi

    # The pointer is checked where it is drawn over the window: it moves
    # about the centre, as a user's hand would (Windows shows a new cursor on
    # the next move, and wine passes it on to X a moment later), for up to
    # 3 s until it is $1 (drawn or hidden).
    pointer_over_window_is() {
        local w h x y i
        IFS=x+ read -r w h x y <<<"$(window_geometry "$window")"
        for i in $(seq 10); do
            xdotool mousemove $((x + w / 2 - 2 * i)) $((y + h / 2 - i))
            sleep 0.3
            if pointer_drawn; then [ "$1" = drawn ] && return 0
            else [ "$1" = hidden ] && return 0
            fi
        done
        return 1
    }
    in_fullscreen_state() {
        xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
    }
    # $2 = picture: the screen is looked at as well (a few seconds).
    expect_fullscreen() {
        wait_for_geometry "$window" "$fullscreen" 10
        if [ "$manager" = window-manager ] && ! in_fullscreen_state; then
            fail "$1: the window covers the screen but is not in the fullscreen state"
        fi
        pointer_over_window_is hidden || fail "$1: the pointer is shown in fullscreen"
        [ "${2:-}" = picture ] || return 0
        import -window root "$WORK/screen.png"
        check_letterboxed "$WORK/screen.png" || fail "$1: the canvas is not letterboxed"
    }
    expect_window() {
        wait_for_geometry "$window" "$windowed" 10
        if [ "$manager" = window-manager ] && in_fullscreen_state; then
            fail "$1: the window is still in the fullscreen state"
        fi
        pointer_over_window_is drawn || fail "$1: the pointer is hidden over the window"
    }

    expect_window "at the start"
    # Each key, and the state it leaves the window in.
    for case in "F11 fullscreen picture" "F11 window" "alt+Return fullscreen" "alt+Return window" \
                "alt+KP_Enter fullscreen" "alt+KP_Enter window"; do
        read -r key state picture <<<"$case"
        xdotool key "$key"
        "expect_$state" "$key to $state" "$picture"
        echo "$key: $state (at $SECONDS s)"
    done

    # Held down for two seconds: one switch, then nothing while it repeats.
    local held=("F11 fullscreen" "alt+Return window" "alt+KP_Enter fullscreen")
    [ "$manager" = window-manager ] || held=("F11 fullscreen")
    for case in "${held[@]}"; do
        read -r key state <<<"$case"
        xdotool keydown "$key"
        wait_for_geometry "$window" "${geometry[$state]}" 10
        for i in $(seq 20); do
            sleep 0.1
            [ "$(window_geometry "$window")" = "${geometry[$state]}" ] ||
                { xdotool keyup "$key"; fail "$key held: the window switched again while it repeated"; }
        done
        xdotool keyup "$key"
        sleep 0.5
        "expect_$state" "$key held"
        echo "$key held: $state (at $SECONDS s)"
    done

    xdotool key Return a F10 F12 ctrl+Return shift+Return
    sleep 0.5
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before the other keys"
    [ "$(window_geometry "$window")" = "$fullscreen" ] || fail "other keys left fullscreen"
    expect_fullscreen "after other keys" picture
}
