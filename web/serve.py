#!/usr/bin/env python3
"""Serves the staged web build (build-web/site) on 127.0.0.1.

usage: serve.py [--port N] [--root DIR] [--port-file FILE]

Port 0 picks a free port. Once the server listens it prints its address on standard output and,
with --port-file, writes the port number into FILE, so a script can wait for that file instead
of guessing when the server is up. Files are sent as they are (no compression), never cached,
with the cross-origin isolation headers (which also give performance.now() its full precision).
Only failed requests are logged.
"""

import argparse
import functools
import http.server
import os
import sys

TYPES = {
    ".wasm": "application/wasm",
    ".data": "application/octet-stream",
    ".js": "text/javascript",
    ".mjs": "text/javascript",
    ".html": "text/html; charset=utf-8",
    ".css": "text/css",
    ".png": "image/png",
    ".json": "application/json",
}


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cross-Origin-Resource-Policy", "same-origin")
        super().end_headers()

    def send_head(self):
        # No conditional answers: every request gets the whole file, as no-store promises.
        for name in ("If-Modified-Since", "If-None-Match"):
            if name in self.headers:
                del self.headers[name]
        return super().send_head()

    def log_request(self, code="-", size="-"):
        if isinstance(code, int) and code >= 400:
            super().log_request(code, size)

    def log_message(self, format, *args):
        sys.stderr.write("serve: %s\n" % (format % args))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="Serves the web build of the show.")
    default_root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build-web", "site")
    parser.add_argument("--port", type=int, default=8000, help="port on 127.0.0.1 (0: any free port)")
    parser.add_argument("--root", default=default_root, help="folder to serve (default build-web/site)")
    parser.add_argument("--port-file", help="write the port here once the server listens")
    options = parser.parse_args()

    root = os.path.abspath(options.root)
    if not os.path.isfile(os.path.join(root, "index.html")):
        sys.stderr.write("serve: %s has no index.html: build the web version first (scripts/web --build)\n" % root)
        return 1
    try:
        server = Server(("127.0.0.1", options.port), functools.partial(Handler, directory=root))
    except OSError as error:
        sys.stderr.write("serve: cannot listen on 127.0.0.1:%d: %s\n" % (options.port, error.strerror))
        return 1
    port = server.server_address[1]
    if options.port_file:
        temporary = options.port_file + ".tmp"
        with open(temporary, "w") as out:
            out.write("%d\n" % port)
        os.replace(temporary, options.port_file)
    print("http://127.0.0.1:%d" % port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
