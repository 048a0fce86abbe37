#!/usr/bin/env bash
# Left alone, the demo ends by itself once its clock passes 114 s, with exit
# status 0; the last frame is drawn at a t of at most 114.
source "$(dirname "$0")/lib.sh"

start_xvfb
started=$(date +%s.%N)
start_demo
wait_for_window >/dev/null
wait_for_exit 200
ended=$(date +%s.%N)
[ "$DEMO_STATUS" -eq 0 ] || fail "exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
last=$(tail -n 1 "$WORK/stdout" | sed 's/^Time: //; s/\x1b\[F$//')
# (A slow machine draws fewer frames; the last one still falls in the final second.)
python3 -c "import sys; t=float('$last'); sys.exit(0 if 113.0 <= t <= 114.0 else 'last frame at %s' % t)" ||
    fail "the last frame is not near 114 s"
python3 -c "import sys; d=$ended-$started; sys.exit(0 if d >= 114.0 else 'ran %.1f s' % d)" ||
    fail "the demo ended before 114 s"
echo "PASS"
