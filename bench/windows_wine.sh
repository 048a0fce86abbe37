#!/usr/bin/env bash
# The Windows build under wine (informative; wine is not Windows): start-up
# time to the first presented frame, median of several runs, and the frame
# cost of each SDL renderer, from the time lines of a few seconds' run. SDL's
# dummy audio driver; the wine session of tests/windows/wine_session.sh.
#
# As in bench/app_startup.sh, the second time line is written by the first
# loop iteration, right after the first frame was presented.
# Usage: bench/windows_wine.sh [ZIP] [RUNS]   (after scripts/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
zip=$(readlink -f "${1:-dist/tiral25-invite-win64.zip}")
runs=${2:-7}
build=${INVITE_WINDOWS_BUILD_DIR:-$PWD/build-windows}

work=$(mktemp -d)
source tests/windows/wine_session.sh "$build/wine"
trap 'wine_session_end; rm -rf "$work"' EXIT
wine_session_start
(cd "$work" && unzip -q "$zip")
export SDL_AUDIODRIVER=dummy

python3 - "$work/tiral25-invite.exe" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
exe, runs = sys.argv[1], int(sys.argv[2])

def start(renderer=None):
    env = dict(os.environ)
    if renderer:
        env["SDL_RENDER_DRIVER"] = renderer
    return subprocess.Popen(["wine", exe], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)

first, presented = [], []
for _ in range(runs):
    begin = time.monotonic()
    p = start()
    p.stdout.readline()
    first.append(time.monotonic() - begin)
    p.stdout.readline()
    presented.append(time.monotonic() - begin)
    p.kill()
    p.wait()
def ms(values):
    return "median %.0f ms (min %.0f, max %.0f)" % (
        statistics.median(values) * 1000, min(values) * 1000, max(values) * 1000)
print("start to first frame drawn:     " + ms(first))
print("start to first frame presented: " + ms(presented))

# Frame cost: the loop's frames between demo time 1 s and 5 s (the bouncing
# signature and the first slogan), each frame one time line.
for renderer in [None, "software", "opengl", "direct3d"]:
    p = start(renderer)
    times = []
    for line in p.stdout:
        t = float(line[6:-4])
        if t > 5.0:
            break
        if t >= 1.0:
            times.append(t)
    p.kill()
    p.wait()
    if len(times) < 2:
        print("%-9s no frames" % (renderer or "default"))
        continue
    span = times[-1] - times[0]
    print("%-9s %5.0f frames per second, %.2f ms per frame" % (
        renderer or "default", (len(times) - 1) / span, 1000 * span / (len(times) - 1)))
PY
