#!/usr/bin/env bash
# Serves the web build (dist/web/, made by scripts/build-web.sh) on this
# machine only, at http://127.0.0.1:PORT/.
# Usage: scripts/serve-web.sh [PORT]   (default: $INVITE_WEB_PORT, else 8025;
# 0 lets the system pick a free port). INVITE_WEB_DIR (for tests) serves
# another folder.
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-${INVITE_WEB_PORT:-8025}}
folder=${INVITE_WEB_DIR:-dist/web}
if ! [[ $port =~ ^[0-9]{1,5}$ ]] || [ "$((10#$port))" -gt 65535 ]; then
  echo "serve-web: the port must be a whole number from 0 to 65535 (0: any free port), not '$port'" >&2
  exit 2
fi
port=$((10#$port))
[ -f "$folder/index.html" ] || {
  echo "serve-web: $folder/ is missing; build it with scripts/build-web.sh" >&2
  exit 1
}
command -v python3 >/dev/null || { echo "serve-web: missing tool: python3" >&2; exit 1; }
# Python's table of types may lack .wasm; browsers compile WebAssembly while
# it downloads only when it comes as application/wasm. The address is printed
# once the server listens (with the real port); a port that cannot be had
# ends in one line, and Ctrl-C ends the server quietly (exit status 130).
exec python3 - "$port" "$folder" <<'PY'
import functools, http.server, os, signal, sys
port, folder = int(sys.argv[1]), sys.argv[2]
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.html': 'text/html; charset=utf-8'}
    def log_message(self, format, *args):
        sys.stderr.write('serve-web: ' + (format % args) + '\n')
handler = functools.partial(Handler, directory=folder)
try:
    server = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
except OSError as error:
    sys.stderr.write(f'serve-web: cannot listen on 127.0.0.1:{port}: {error.strerror or error}\n')
    sys.exit(1)
host, real_port = server.server_address[:2]
sys.stderr.write(f'serve-web: http://{host}:{real_port}/ (Ctrl-C stops)\n')
sys.stderr.flush()
try:
    server.serve_forever()
except KeyboardInterrupt:
    server.server_close()
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    os.kill(os.getpid(), signal.SIGINT)
PY
