#!/usr/bin/env bash
# scripts/serve-web.sh as a user starts it: a bad port or one that is taken
# ends in one line (no Python traceback, no address announced); a good one
# announces the address it really listens on, serves the page, and Ctrl-C
# ends it quietly.
# Usage: serve_web_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$(realpath "${1:?usage: serve_web_test.sh SOURCE_DIR}")
serve="$source_dir/scripts/serve-web.sh"
work=$(mktemp -d)
holder=
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/web"
echo "<p>the invitation</p>" >"$work/web/index.html"
export INVITE_WEB_DIR="$work/web"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() {  # check DESCRIPTION EXPECTED ACTUAL
  [ "$2" == "$3" ] || fail "$1: expected '$2', got '$3'"
}

# A port that is taken: a listener of our own holds it.
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen()
print(s.getsockname()[1], flush=True); time.sleep(600)' >"$work/taken" &
holder=$!
for _ in $(seq 100); do [ -s "$work/taken" ] && break; sleep 0.05; done
taken=$(cat "$work/taken")

# Each row: what | the port | exit status | the one line on standard error.
while IFS='|' read -r name port expected line; do
  timeout 20 "$serve" "$port" >"$work/out" 2>"$work/err"
  check "$name: exit status" "$expected" "$?"
  check "$name: standard error" "$line" "$(cat "$work/err")"
done <<ROWS
not a number|80a|2|serve-web: the port must be a whole number from 0 to 65535 (0: any free port), not '80a'
negative|-1|2|serve-web: the port must be a whole number from 0 to 65535 (0: any free port), not '-1'
too large|65536|2|serve-web: the port must be a whole number from 0 to 65535 (0: any free port), not '65536'
a word|http|2|serve-web: the port must be a whole number from 0 to 65535 (0: any free port), not 'http'
in use|$taken|1|serve-web: cannot listen on 127.0.0.1:$taken: Address already in use
ROWS

# Port 0: the system picks one, and the banner names it. The server runs in
# its own process group as a terminal's foreground job would, so that Ctrl-C
# (SIGINT to the group) reaches it.
set -m
"$serve" 0 >"$work/out" 2>"$work/err" &
server=$!
set +m
for _ in $(seq 200); do grep -q 'http://' "$work/err" && break; sleep 0.05; done
port=$(sed -n 's|^serve-web: http://127.0.0.1:\([0-9]*\)/ (Ctrl-C stops)$|\1|p' "$work/err")
if [ -z "$port" ] || [ "$port" -eq 0 ]; then
  fail "port 0: no banner with the real port: $(cat "$work/err")"
else
  page=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=10).read().decode(), end="")' \
    "http://127.0.0.1:$port/")
  check "port 0: the page" "<p>the invitation</p>" "$page"
fi
kill -INT -- "-$server"
wait "$server"
check "Ctrl-C: exit status" 130 "$?"
server=
grep -q -e Traceback -e KeyboardInterrupt "$work/err" && fail "Ctrl-C: a traceback: $(cat "$work/err")"
check "Ctrl-C: lines on standard error (the banner and one request)" 2 "$(wc -l <"$work/err")"

[ "$failures" -eq 0 ] && echo "all serve-web checks passed"
exit $((failures > 0))
