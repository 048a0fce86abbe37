#!/usr/bin/env bash
# Started without standard output, the demo drops its time lines and runs
# on. The disk audio driver opens its file after start-up: that file must
# get only samples (whole 8192-frame buffers of floats), no time line.
source "$(dirname "$0")/lib.sh"

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE
SDL_DISKAUDIOFILE=$(windows_path "$WORK/audio.raw")
"${DEMO_RUN[@]}" >&- 2>"$WORK/stderr" &
DEMO_PID=$!
window=$(wait_for_window no-output)
expect_running_for 1
# The demo ends on the key-down; the key-up after it may find the window gone.
xdotool key --window "$window" Escape 2>/dev/null || true
wait_for_exit 10
check_closed_output_run "$WORK/audio.raw"
echo "PASS"
