#!/usr/bin/env bash
# SIGTERM ends the demo cleanly (SDL turns it into a quit event): exit status
# 0, nothing on standard error, and standard output redirected to a file holds
# one complete time line per frame, the first at t = 0.001.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_demo
wait_for_window >/dev/null
sleep 1.5
kill -TERM "$DEMO_PID"
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "SIGTERM gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
