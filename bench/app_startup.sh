#!/usr/bin/env bash
# Start-up time of the demo: from exec to the first presented frame, median of
# several runs, on a fresh Xvfb display with SDL's dummy audio driver.
#
# The first frame's time line ("Time: 0.001") is written just before that
# frame is presented; the next line ("Time: 0...") is written by the first
# loop iteration, right after the present and the event pump. The time to
# that second line is what is reported (an upper bound by the pump's set-up).
# Usage: bench/app_startup.sh DEMO_BINARY [RUNS]
set -euo pipefail
demo=${1:?usage: $0 DEMO_BINARY [RUNS]}
runs=${2:-7}

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$work/display")" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

python3 - "$demo" "$runs" <<'PY'
import os, signal, statistics, subprocess, sys, time
demo, runs = sys.argv[1], int(sys.argv[2])
first, presented = [], []
for _ in range(runs):
    start = time.monotonic()
    p = subprocess.Popen([demo], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    p.stdout.readline()                 # "Time: 0.001": the first frame is drawn
    first.append(time.monotonic() - start)
    p.stdout.readline()                 # the first loop frame: the first one was presented
    presented.append(time.monotonic() - start)
    p.send_signal(signal.SIGTERM)
    p.stdout.close()
    p.wait()
def ms(values):
    return "median %.0f ms (min %.0f, max %.0f)" % (
        statistics.median(values) * 1000, min(values) * 1000, max(values) * 1000)
print("exec to first frame drawn:     " + ms(first))
print("exec to first frame presented: " + ms(presented))
PY
