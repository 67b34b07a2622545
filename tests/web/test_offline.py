"""Releases of the browser build in headless Chromium: web-dist names each
large file after its contents, so two releases never mix, and the page's
service worker keeps the last release it ran for a visit with no network.

Two releases: build-web/dist (KV_WEB_DIST) and, built here, the same game
with one byte of one picture changed (tools/web/build.sh packaging a changed
copy of the data through KV_GAME_DATA into a folder of its own). The web
server is tools/web/serve.py; "offline" means it is stopped, since the
DevTools offline switch does not reliably cover a worker's own fetches.

Run: /usr/bin/python3 tests/web/test_offline.py (KV_GAME_DIR: the data to
copy, default build/game). Prints the time to the first title frame on a
first visit and on a repeat visit with the server stopped."""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools", "web"))

import kvweb  # noqa: E402
import serve  # noqa: E402
from kvweb import wait_for  # noqa: E402

GAME_DIR = os.environ.get("KV_GAME_DIR") or os.path.join(kvweb.ROOT, "build", "game")
NAMED = re.compile(r"^kelvantis(?:-(\d+))?\.([0-9a-f]{10})\.(js|wasm|data|png)$")
PAGES = {"index.html", "sw.js", "manifest.webmanifest"}

# Runs before the page's own scripts: the time (ms since the navigation
# started) of the first animation frame after the game has drawn a frame.
FIRST_FRAME_PROBE = """
(function watch() {
  if (window.kvFrames > 0) { window.kvFirstFrameMs = performance.now(); return; }
  requestAnimationFrame(watch);
})();
"""

# {cache name: [file names]} of the page's origin, once a worker is active.
KEPT = """
navigator.serviceWorker.ready.then(() => caches.keys()).then(async names => {
  const kept = {};
  for (const name of names)
    kept[name] = (await (await caches.open(name)).keys()).map(r => r.url.split('/').pop()).sort();
  return kept;
})
"""


def release(folder):
    """(release name, {kind: file name}) of a web-dist folder; every file
    but the pages must carry the short hash of its own contents."""
    files = {}
    for name in sorted(os.listdir(folder)):
        if name in PAGES:
            continue
        m = NAMED.match(name)
        if not m:
            raise AssertionError("%s: %s is neither a page nor named after its contents" % (folder, name))
        with open(os.path.join(folder, name), "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()[:10]
        if digest != m.group(2):
            raise AssertionError("%s: %s holds contents hashed %s" % (folder, name, digest))
        files[m.group(1) or m.group(3)] = name
    with open(os.path.join(folder, "sw.js")) as f:
        name = re.search(r"var RELEASE = '(\w+)';", f.read()).group(1)
    return name, files


class Server:
    """tools/web/serve.py's server on a thread, on a given port (0: a free one)."""

    def __init__(self, folder, port=0):
        self.httpd = serve.make_server(folder, port, quiet=True)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class OfflineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.first = kvweb.dist_dir()
        if not os.path.exists(os.path.join(cls.first, "sw.js")):
            raise RuntimeError("no web build in %s (bash tools/dev.sh web-dist)" % cls.first)
        cls.tmp = tempfile.mkdtemp(prefix="kvweb-release-")
        data = os.path.join(cls.tmp, "game")
        for top in ("gfx", "data"):
            shutil.copytree(os.path.join(GAME_DIR, top), os.path.join(data, top))
        # The last byte of an uncompressed picture: one pixel changes colour.
        with open(os.path.join(data, "gfx", "yrere.bmp"), "r+b") as f:
            f.seek(-1, os.SEEK_END)
            byte = f.read(1)[0]
            f.seek(-1, os.SEEK_END)
            f.write(bytes([byte ^ 0x10]))
        cls.second = os.path.join(cls.tmp, "dist")
        run = subprocess.run(["bash", os.path.join(kvweb.ROOT, "tools", "web", "build.sh")],
                             env=dict(os.environ, KV_GAME_DATA=data, KV_WEB_DIST=cls.second),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            raise RuntimeError("the second release failed to build:\n" + run.stdout[-4000:])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_a_changed_picture_renames_the_data_and_the_script_and_each_page_names_its_own(self):
        (name_a, a), (name_b, b) = release(self.first), release(self.second)
        self.assertEqual(set(a), {"js", "wasm", "data", "192", "512"})
        self.assertEqual(set(a), set(b))
        for kind in a:
            if kind in ("data", "js"):
                self.assertNotEqual(a[kind], b[kind], kind)
            else:
                self.assertEqual(a[kind], b[kind], kind)
        self.assertNotEqual(name_a, name_b)
        for folder, files in ((self.first, a), (self.second, b)):
            def text(name):
                with open(os.path.join(folder, name)) as f:
                    return f.read()
            self.assertEqual(re.findall(r"script\.src = '([^']*)'", text("index.html")), [files["js"]])
            script = text(files["js"])
            for kind in ("wasm", "data"):
                self.assertTrue('"%s"' % files[kind] in script, "%s does not load %s" % (files["js"], files[kind]))
            listed = re.search(r"var FILES = \[(.*)\];", text("sw.js")).group(1)
            self.assertEqual(re.findall(r"'([^']+)'", listed)[0], files["js"])
            self.assertEqual(sorted(re.findall(r"'([^']+)'", listed)), sorted(files.values()))
            manifest = json.loads(text("manifest.webmanifest"))
            self.assertEqual((manifest["display"], manifest["background_color"]), ("fullscreen", "#000000"))
            self.assertEqual([(i["src"], i["sizes"]) for i in manifest["icons"]],
                             [(files["192"], "192x192"), (files["512"], "512x512")])

    def visit(self, page, url, files):
        """Opens url; returns the ms to the first title frame, after checking
        that the page ran exactly the release whose files are given."""
        page.errors.clear()
        page.open(url)
        first = wait_for(lambda: page.eval("window.kvFirstFrameMs"), 120, "the first title frame")
        self.assertEqual(page.state()["state"], 0)
        loaded = page.eval("performance.getEntriesByType('resource').map(e => e.name.split('/').pop())"
                           ".filter(n => /^kelvantis[.]/.test(n))")
        self.assertEqual(sorted(loaded), sorted([files["js"], files["wasm"], files["data"]]))
        return first

    def wait_kept(self, page, name, files):
        """Waits until the worker keeps exactly this release, and nothing else."""
        want = {"kelvantis-" + name: sorted(list(files.values()) + ["index.html", "manifest.webmanifest"])}
        return wait_for(lambda: page.eval(KEPT, await_promise=True) == want, 120, "the release %s kept" % name)

    def test_a_second_visit_plays_offline_and_a_new_release_takes_over(self):
        (name_a, a), (name_b, b) = release(self.first), release(self.second)
        server = Server(self.first)
        port, url = server.port, "http://127.0.0.1:%d/" % server.port
        try:
            with kvweb.Chromium() as browser:
                page = kvweb.Page(browser)
                page.send("Page.addScriptToEvaluateOnNewDocument", source=FIRST_FRAME_PROBE)
                first_visit = self.visit(page, url, a)
                self.wait_kept(page, name_a, a)
                server.close()
                repeat_visit = self.visit(page, url, a)
                page.hold("Enter", until=lambda: page.state()["state"] == 1)   # "Play": the story
                page.hold("Enter", until=lambda: page.state()["state"] == 3)   # play
                page.pump()
                self.assertEqual(page.errors, [])

                # Online again with a new release: a visit runs it, and its
                # worker replaces the kept release, offline too.
                server = Server(self.second, port)
                self.visit(page, url, b)
                self.wait_kept(page, name_b, b)
                server.close()
                self.visit(page, url, b)
                page.pump()
                self.assertEqual(page.errors, [])
                page.close()
        finally:
            server.close()
        print("to the first title frame: first visit %.0f ms, repeat visit with the server stopped %.0f ms"
              % (first_visit, repeat_visit), file=sys.stderr)


if __name__ == "__main__":
    unittest.main()
