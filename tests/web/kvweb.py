"""Browser harness: the web build's folder served on 127.0.0.1, a headless
Chromium with a fresh profile, and a DevTools-protocol session on its page.

Keys go in through Input.dispatchKeyEvent; Emscripten's GLUT reads only the
DOM keyCode (windowsVirtualKeyCode here) and the modifier flags. Page state is
read with Runtime.evaluate from the page's read-only hooks (window.kvFrames,
Module.kvDebugState(), Module.kvMixerCounts()). Nothing
here waits a guessed time for a frame: every wait polls a condition.

Environment: KV_WEB_DIST (the folder to serve, default build-web/dist of
this checkout), KV_CHROMIUM (the browser, default chromium).
"""
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time
import unittest
import urllib.request

import websocket

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def dist_dir():
    return os.environ.get("KV_WEB_DIST") or os.path.join(ROOT, "build-web", "dist")


def wait_for(predicate, timeout=60.0, what="condition"):
    """Polls predicate until it returns something true and returns that;
    raises TimeoutError after timeout seconds."""
    deadline = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > deadline:
            raise TimeoutError("waited %.0f s for %s" % (timeout, what))
        time.sleep(0.05)


# ---------------------------------------------------------------- web server

class _Handler(http.server.SimpleHTTPRequestHandler):
    # The .wasm type lets the browser compile while it downloads; no caching,
    # so a reload fetches what is on disk now.
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".data": "application/octet-stream"})

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass


class StaticServer:
    """Serves a folder on 127.0.0.1 at a free port chosen by the system."""

    def __init__(self, folder):
        handler = functools.partial(_Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


# ------------------------------------------------------------------- browser

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--autoplay-policy=no-user-gesture-required", "--remote-debugging-port=0",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--no-first-run", "--no-default-browser-check",
    # Headless pages count as hidden to some timers; keep them running.
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows",
]


class Chromium:
    """A headless Chromium on a profile folder (a fresh temporary one unless
    profile is given, so a second browser can reopen the first one's storage)."""

    def __init__(self, profile=None):
        self.own_profile = profile is None
        self.profile = profile or tempfile.mkdtemp(prefix="kvweb-profile-")
        self.proc = None
        self.port = None

    def __enter__(self):
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        binary = os.environ.get("KV_CHROMIUM", "chromium")
        self.proc = subprocess.Popen([binary, *CHROMIUM_FLAGS, "--user-data-dir=" + self.profile,
                                      "--window-size=800,600", "about:blank"],
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)

        def port():
            if self.proc.poll() is not None:
                raise RuntimeError("chromium exited with %d (log: %s)" % (self.proc.returncode, self.log.name))
            try:
                with open(port_file) as f:
                    lines = f.read().split("\n")
                return int(lines[0]) if len(lines) >= 2 and lines[0] else None
            except FileNotFoundError:
                return None

        self.port = wait_for(port, 60, "chromium's DevTools port")
        return self

    def page_socket_url(self):
        with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % self.port, timeout=10) as r:
            targets = json.load(r)
        for t in targets:
            if t.get("type") == "page":
                return t["webSocketDebuggerUrl"]
        raise RuntimeError("chromium has no page")

    def close(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        if self.own_profile:
            shutil.rmtree(self.profile, ignore_errors=True)

    def __exit__(self, *exc):
        self.close()
        return False


# ------------------------------------------------------------ DevTools page

# DOM key names, codes and keyCodes (what GLUT reads) of the keys the tests press.
KEYS = {
    "Enter": ("Enter", "Enter", 13), "Escape": ("Escape", "Escape", 27),
    "Left": ("ArrowLeft", "ArrowLeft", 37), "Up": ("ArrowUp", "ArrowUp", 38),
    "Right": ("ArrowRight", "ArrowRight", 39), "Down": ("ArrowDown", "ArrowDown", 40),
    "F1": ("F1", "F1", 112), "F2": ("F2", "F2", 113),
}
for _c in "abcdefghijklmnopqrstuvwxyz":
    KEYS[_c] = (_c, "Key" + _c.upper(), ord(_c.upper()))


class PageError(AssertionError):
    pass


class Page:
    """One DevTools session on the browser's page. Console errors, uncaught
    exceptions and failed loads are collected in self.errors; console lines
    in self.console."""

    def __init__(self, browser):
        self.ws = websocket.create_connection(browser.page_socket_url(), timeout=60,
                                              suppress_origin=True)
        self.next_id = 0
        self.errors = []
        self.console = []
        self.events = []
        for domain in ("Runtime", "Page", "Log", "Network"):
            self.send(domain + ".enable")

    def close(self):
        self.ws.close()

    # -- protocol

    def _handle_event(self, msg):
        method, params = msg.get("method"), msg.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", []))
            self.console.append((params.get("type"), text))
            if params.get("type") in ("error", "assert"):
                self.errors.append("console.%s: %s" % (params["type"], text))
        elif method == "Runtime.exceptionThrown":
            d = params.get("exceptionDetails", {})
            self.errors.append("exception: %s %s" % (d.get("text", ""), d.get("exception", {}).get("description", "")))
        elif method == "Log.entryAdded":
            e = params.get("entry", {})
            # The browser asks every site for a favicon this page does not have.
            if e.get("level") == "error" and "favicon.ico" not in e.get("url", ""):
                self.errors.append("log: %s %s" % (e.get("text"), e.get("url", "")))
        else:
            self.events.append(msg)

    def pump(self, timeout=0.0):
        """Reads the events that have arrived (waiting up to timeout for one)."""
        self.ws.settimeout(timeout if timeout > 0 else 0.001)
        try:
            while True:
                self._handle_event(json.loads(self.ws.recv()))
                self.ws.settimeout(0.001)
        except (websocket.WebSocketTimeoutException, BlockingIOError):
            pass
        finally:
            self.ws.settimeout(60)

    def send(self, method, **params):
        self.next_id += 1
        my_id = self.next_id
        self.ws.send(json.dumps({"id": my_id, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get("id") == my_id:
                if "error" in msg:
                    raise RuntimeError("%s: %s" % (method, msg["error"]))
                return msg.get("result", {})
            self._handle_event(msg)

    def eval(self, expression, await_promise=False):
        """The JSON value of a page expression; raises PageError if it throws."""
        r = self.send("Runtime.evaluate", expression=expression, returnByValue=True,
                      awaitPromise=await_promise)
        if "exceptionDetails" in r:
            raise PageError("%s: %s" % (expression, r["exceptionDetails"].get("exception", {}).get("description")))
        return r["result"].get("value")

    def wait_event(self, method, timeout=60.0, match=lambda p: True):
        """Waits for a protocol event and returns its params."""
        def found():
            for i, m in enumerate(self.events):
                if m.get("method") == method and match(m.get("params", {})):
                    return self.events.pop(i)["params"]
            self.pump(0.05)
            return None
        return wait_for(found, timeout, method)

    # -- page

    def open(self, url, width=640, height=480):
        """Loads url with a viewport of width x height CSS pixels at one device
        pixel per CSS pixel."""
        self.send("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)
        self.events.clear()
        self.send("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired")

    def reload(self):
        self.events.clear()
        self.send("Page.reload", ignoreCache=True)
        self.wait_event("Page.loadEventFired")

    def frames(self):
        return self.eval("window.kvFrames || 0")

    def wait_frames(self, count=2, timeout=60.0):
        """Waits until the game has drawn count more frames."""
        start = self.frames()
        return wait_for(lambda: self.frames() >= start + count and self.frames(), timeout,
                        "%d drawn frames" % count)

    def state(self):
        return json.loads(self.eval("Module.kvDebugState()"))

    def key(self, name, down):
        key, code, key_code = KEYS[name]
        params = dict(type="keyDown" if down else "keyUp", key=key, code=code,
                      windowsVirtualKeyCode=key_code, nativeVirtualKeyCode=key_code)
        if down and len(key) == 1:
            params["text"] = key
        self.send("Input.dispatchKeyEvent", **params)

    def hold(self, name, until=None, timeout=60.0):
        """Holds a key until the game has drawn two frames with it down (and
        until the predicate is true, when one is given), then releases it and
        waits for one more frame, so the release is seen too."""
        self.key(name, True)
        try:
            self.wait_frames(2, timeout)
            result = wait_for(until, timeout, "the effect of " + name) if until else None
        finally:
            self.key(name, False)
        self.wait_frames(1, timeout)
        return result

    def press(self, *names):
        for name in names:
            self.hold(name)

    def canvas_rect(self):
        return self.eval("(() => { const r = document.querySelector('canvas').getBoundingClientRect();"
                         " return [r.left, r.top, r.width, r.height]; })()")

    def capture_canvas(self):
        """PNG bytes of the canvas as the browser shows it (the compositor's
        picture, cut to the canvas's box)."""
        x, y, w, h = self.canvas_rect()
        r = self.send("Page.captureScreenshot", format="png", captureBeyondViewport=False,
                      clip=dict(x=x, y=y, width=w, height=h, scale=1))
        return base64.b64decode(r["data"])

    def fit_canvas(self, url, width=640, height=480):
        """Loads url and sizes the viewport so that the canvas shows the
        picture at exactly width x height (the page may put a line of text
        beside the canvas). Returns the canvas box."""
        self.open(url, width, height)
        # The page places the canvas once the game runs.
        try:
            wait_for(lambda: self.frames() > 0, 120, "the first drawn frame")
        except TimeoutError as e:
            self.pump()
            raise TimeoutError("%s (page status %s, errors %s, console %s)" % (
                e, self.eval("window.kvStatus"), self.errors, self.console[-8:])) from None
        rect = self.canvas_rect()
        if (round(rect[2]), round(rect[3])) != (width, height):
            view = self.eval("[window.innerWidth, window.innerHeight]")
            self.send("Emulation.setDeviceMetricsOverride",
                      width=width + view[0] - round(rect[2]), height=height + view[1] - round(rect[3]),
                      deviceScaleFactor=1, mobile=False)
            rect = wait_for(lambda: (lambda r: (round(r[2]), round(r[3])) == (width, height) and r)(
                self.canvas_rect()), 30, "a %dx%d canvas" % (width, height))
        return rect

    def allow_downloads(self, folder):
        self.send("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder,
                  eventsEnabled=True)


class PageTestCase(unittest.TestCase):
    """Test cases sharing the web build served on 127.0.0.1 and, unless
    `one_browser` is False, one Chromium with one page for the whole class."""

    one_browser = True

    @classmethod
    def setUpClass(cls):
        folder = dist_dir()
        if not os.path.exists(os.path.join(folder, "index.html")):
            raise RuntimeError("no web build in %s (bash tools/dev.sh web-dist)" % folder)
        cls.server = StaticServer(folder)
        cls.url = cls.server.url + "index.html"
        cls.browser = cls.page = None
        if cls.one_browser:
            cls.browser = Chromium().__enter__()
            cls.page = Page(cls.browser)

    @classmethod
    def tearDownClass(cls):
        if cls.page:
            cls.page.close()
        if cls.browser:
            cls.browser.close()
        cls.server.close()

    def open_title(self):
        """Loads the page at a 640x480 canvas and waits for drawn frames."""
        p = self.page
        p.errors.clear()
        p.fit_canvas(self.url)
        p.wait_frames(3)
        return p
