#!/usr/bin/env bash
# Started without standard output, the demo drops its time lines and runs on.
# The disk audio driver opens its file after start-up: that file must get only
# samples (whole 8192-frame buffers of floats), no time line.
source "$(dirname "$0")/lib.sh"

start_xvfb
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw"
"${DEMO_RUN[@]}" >&- 2>"$WORK/stderr" &
DEMO_PID=$!
wait_for_window no-output >/dev/null
sleep 1
kill -TERM "$DEMO_PID"
wait_for_exit 10
check_closed_output_run "$WORK/audio.raw"
echo "PASS"
