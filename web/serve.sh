#!/usr/bin/env bash
# Serves build-web/ on 127.0.0.1 (port 8080 or the first argument) with the
# cross-origin isolation the engine's worker threads need (shared memory).
set -euo pipefail
cd "$(dirname "$0")/../build-web"
exec python3 - "${1:-8080}" <<'PY'
import http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.mjs': 'text/javascript', '.webmanifest': 'application/manifest+json',
                      '.json': 'application/json'}
    def end_headers(self):
        self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
        self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cross-Origin-Resource-Policy', 'same-origin')
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer(('127.0.0.1', int(sys.argv[1])), Handler).serve_forever()
PY
