#!/usr/bin/env python3
"""Serves the show's site on 127.0.0.1 as a good production host would.

usage: serve.py [--port N] [--root DIR] [--port-file FILE]

DIR is the web build's site (build-web/site, the default) or a published one (web/bundle.py).
Port 0 picks a free port. Once the server listens it prints its address on standard output and,
with --port-file, writes the port number into FILE, so a script can wait for that file instead
of guessing when the server is up.

- A file with a precompressed copy beside it (FILE.br, FILE.gz) is sent as that copy when the
  browser accepts its encoding (Brotli first), with Content-Encoding and Vary: Accept-Encoding.
- Types: application/wasm for .wasm, and the usual ones.
- Files named with a content hash (name.0123456789ab.ext, as web/bundle.py names them) never
  change: Cache-Control: public, max-age=31536000, immutable. Every other file, the HTML pages
  among them, is no-cache: the browser asks again each time, and a file that has not changed is
  answered 304 Not Modified by its ETag or date.
No special header is needed: the build is single-threaded, so the page does not ask for
cross-origin isolation. Only failed requests are logged.
"""

import argparse
import email.utils
import functools
import http.server
import os
import sys

from bundle import HASHED_NAME

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
# Precompressed copies, in order of preference, with the Content-Encoding each is sent as.
ENCODINGS = ((".br", "br"), (".gz", "gzip"))
FOREVER = "public, max-age=31536000, immutable"


def accepted_encodings(header):
    """The content codings an Accept-Encoding header allows (a q of 0 refuses one)."""
    accepted = set()
    for item in (header or "").split(","):
        parts = [part.strip() for part in item.split(";")]
        coding = parts[0].lower()
        if not coding:
            continue
        quality = 1.0
        for parameter in parts[1:]:
            key, _, value = parameter.partition("=")
            if key.strip().lower() == "q":
                try:
                    quality = float(value)
                except ValueError:
                    quality = 0.0
        if quality > 0:
            accepted.add(coding)
    if "*" in accepted:
        accepted.update(coding for _, coding in ENCODINGS)
    return accepted


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            if not self.path.split("?", 1)[0].endswith("/"):
                self.send_response(301)
                self.send_header("Location", self.path.split("?", 1)[0] + "/")
                self.send_header("Content-Length", "0")
                self.end_headers()
                return None
            path = os.path.join(path, "index.html")
        if not os.path.isfile(path):
            self.send_error(404, "File not found")
            return None

        # The copy to send: a precompressed one the browser accepts, else the file itself.
        accepted = accepted_encodings(self.headers.get("Accept-Encoding"))
        variants = [(path + suffix, coding) for suffix, coding in ENCODINGS if os.path.isfile(path + suffix)]
        sent, coding = path, None
        for candidate, candidate_coding in variants:
            if candidate_coding in accepted:
                sent, coding = candidate, candidate_coding
                break
        try:
            file = open(sent, "rb")
        except OSError:
            self.send_error(404, "File not found")
            return None
        try:
            status = os.fstat(file.fileno())
            tag = '"%x-%x%s"' % (int(status.st_mtime), status.st_size, "-" + coding if coding else "")
            modified = self.date_time_string(int(status.st_mtime))
            if self.not_modified(tag, status.st_mtime):
                file.close()
                self.send_response(304)
                self.send_caching_headers(path, tag, modified, bool(variants))
                self.end_headers()
                return None
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Length", str(status.st_size))
            if coding:
                self.send_header("Content-Encoding", coding)
            self.send_caching_headers(path, tag, modified, bool(variants))
            self.end_headers()
            return file
        except Exception:
            file.close()
            raise

    def not_modified(self, tag, mtime):
        """Whether the browser's copy is current: If-None-Match first, then If-Modified-Since."""
        match = self.headers.get("If-None-Match")
        if match is not None:
            return match.strip() == "*" or tag in [value.strip() for value in match.split(",")]
        since = self.headers.get("If-Modified-Since")
        if since is None:
            return False
        try:
            when = email.utils.parsedate_to_datetime(since)
        except (TypeError, ValueError, IndexError, OverflowError):
            return False
        if when is None:
            return False
        return int(mtime) <= int(when.timestamp())

    def send_caching_headers(self, path, tag, modified, varies):
        name = os.path.basename(path)
        self.send_header("Cache-Control", FOREVER if HASHED_NAME.search(name) and not name.endswith(".html") else "no-cache")
        self.send_header("ETag", tag)
        self.send_header("Last-Modified", modified)
        if varies:
            self.send_header("Vary", "Accept-Encoding")

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
