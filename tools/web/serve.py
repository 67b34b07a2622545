#!/usr/bin/env python3
"""Serves the browser build's folder on 127.0.0.1 for development.

  python3 tools/web/serve.py FOLDER [PORT]

(`bash tools/dev.sh web` runs it on build-web/dist.) Every answer carries
Cache-Control: no-store, so the browser keeps nothing between requests and a
visit always gets what was built last, the service worker included; a web
site serves other headers (README, "Play in a browser"). The .wasm goes out
as application/wasm, so the browser compiles it while it downloads.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".data": "application/octet-stream",
                             ".webmanifest": "application/manifest+json"})

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()


class QuietHandler(Handler):
    def log_message(self, *args):
        pass


def make_server(folder, port=0, quiet=False):
    """A threading server for folder on 127.0.0.1:port (0: a free port);
    the caller runs serve_forever()."""
    handler = functools.partial(QuietHandler if quiet else Handler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.daemon_threads = True
    return server


def main():
    if len(sys.argv) not in (2, 3):
        print("usage: serve.py FOLDER [PORT]", file=sys.stderr)
        return 2
    server = make_server(sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 0)
    print("KelVantis in the browser: http://127.0.0.1:%d/" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
