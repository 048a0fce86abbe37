#!/usr/bin/env bash
# A standard output that cannot be written ends the demo at once with one
# line on standard error and exit status 1: a pipe whose reader has gone, and
# a full disk.
source "$(dirname "$0")/lib.sh"

start_xvfb

check_failure() {  # $1: the expected end of the error line
    [ "$DEMO_STATUS" -eq 1 ] || fail "exit status $DEMO_STATUS, expected 1"
    [ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "expected one line on standard error"
    grep -qx "tiral25-invite: .*$1" "$WORK/stderr" || fail "unexpected error line"
}

# The reader takes the first line and leaves.
mkfifo "$WORK/pipe"
head -n 1 "$WORK/pipe" >"$WORK/first" &
"${DEMO_RUN[@]}" >"$WORK/pipe" 2>"$WORK/stderr" &
DEMO_PID=$!
wait_for_exit 30
check_failure "Broken pipe"
[ "$(cat "$WORK/first")" = $'Time: 0.001\e[F' ] || fail "the reader did not get the first line"

"${DEMO_RUN[@]}" >/dev/full 2>"$WORK/stderr" &
DEMO_PID=$!
wait_for_exit 30
check_failure "No space left on device"
echo "PASS"
