#!/usr/bin/env bash
# Serves the web build (dist/web/, made by scripts/build-web.sh) on this
# machine only, at http://127.0.0.1:PORT/.
# Usage: scripts/serve-web.sh [PORT]   (default: $INVITE_WEB_PORT, else 8025)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-${INVITE_WEB_PORT:-8025}}
[ -f dist/web/index.html ] || {
  echo "serve-web: dist/web/ is missing; build it with scripts/build-web.sh" >&2
  exit 1
}
command -v python3 >/dev/null || { echo "serve-web: missing tool: python3" >&2; exit 1; }
echo "serve-web: http://127.0.0.1:$port/ (Ctrl-C stops)" >&2
# Python's table of types may lack .wasm; browsers compile WebAssembly while
# it downloads only when it comes as application/wasm.
exec python3 - "$port" dist/web <<'PY'
import functools, http.server, sys
port, folder = int(sys.argv[1]), sys.argv[2]
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.html': 'text/html; charset=utf-8'}
    def log_message(self, format, *args):
        sys.stderr.write('serve-web: ' + (format % args) + '\n')
handler = functools.partial(Handler, directory=folder)
with http.server.ThreadingHTTPServer(('127.0.0.1', port), handler) as server:
    server.serve_forever()
PY
