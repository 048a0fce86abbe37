# Shared pieces of the Windows end-to-end tests: the real tiral25-invite.exe,
# unpacked from the zip a user gets, under wine on the display of the wine
# session that scripts/test-windows.sh starts (tests/windows/wine_session.sh).
# The Linux tests' helpers do the rest: starting the demo, finding its
# window, waiting for it to end, reading its time lines.
# Usage: source lib.sh ZIP
ZIP=${1:?usage: $0 ZIP}
source "$(dirname "${BASH_SOURCE[0]}")/../../app/e2e/lib.sh" "$ZIP"

[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] ||
    fail "no wine session: run the Windows tests through scripts/test-windows.sh"
[ -f "$ZIP" ] || fail "$ZIP is missing (scripts/build-windows.sh writes it)"
mkdir "$WORK/dist"
(cd "$WORK/dist" && unzip -q "$ZIP") || fail "cannot unpack $ZIP"
EXE=$WORK/dist/tiral25-invite.exe
[ -f "$EXE" ] || fail "$ZIP holds no tiral25-invite.exe"
DEMO_RUN=(wine "$EXE")
cd "$WORK"

# The Windows path of a file under $WORK (wine's drive Z: is /).
windows_path() { echo "Z:${1//\//\\}"; }

# Fails if a window titled tiral25-invite exists now.
expect_no_window() {
    if xdotool search --name '^tiral25-invite$' >/dev/null 2>&1; then fail "$1"; fi
}

# Prints how many frames per second the time lines show, and fails unless
# the loop ran far faster than a 64 Hz timer would let it: with a pause that
# waits for Windows' default 15.6 ms tick no two frames are closer than that.
check_frame_rate() {
    python3 - "$WORK/stdout" <<'PY'
import sys
lines = open(sys.argv[1], 'rb').read().split(b"\n")[:-1]
times = [float(l[6:-3]) for l in lines][1:]  # the loop's frames
if len(times) < 20:
    sys.exit("only %d frames" % len(times))
gaps = sorted(b - a for a, b in zip(times, times[1:]))
median = gaps[len(gaps) // 2]
fps = (len(times) - 1) / max(times[-1] - times[0], 0.001)
print("%.0f frames per second, median frame interval %.1f ms" % (fps, 1000 * median))
if median >= 0.010:
    sys.exit("the median frame interval is %.1f ms: the loop is paced by a coarse timer" % (1000 * median))
PY
}
