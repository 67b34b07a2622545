"""The browser build on phones, tablets and large screens, and with a gamepad
alone, in a real headless Chromium driven over the DevTools protocol.

Phones are emulated (mobile viewport, device scale, touch switched on before
the page loads, as GLUT looks for touch at start-up); fingers go in through
Input.dispatchTouchEvent. The browser runs WITHOUT the autoplay switch the
other browser tests use, so sound must be started by a real gesture. The
gamepad is a stand-in for navigator.getGamepads installed before the page's
own scripts.

Run: /usr/bin/python3 tests/web/test_touch.py (KV_WEB_DIST picks the folder;
KV_PHONE_SHOT=path also saves a picture of the emulated phone in play)."""
import base64
import io
import os
import sys
import time
import unittest
from unittest import mock

from PIL import Image, ImageChops, ImageStat

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kvweb  # noqa: E402
from kvweb import wait_for  # noqa: E402

# Viewports tried: (width, height, device scale, phone or tablet).
SIZES = [(320, 480, 2, True), (390, 844, 3, True), (844, 390, 3, True), (768, 1024, 2, True),
         (1024, 768, 2, True), (1920, 1080, 1, False), (3840, 2160, 1, False)]
# The fps readout at the picture's lower right changes from frame to frame.
FPS_BOX = (490, 450, 640, 480)

# A standard-layout gamepad for the page, installed before its scripts run:
# window.kvPadSet(buttons, axes) plugs it in (or changes what is held),
# window.kvPadSet(null) unplugs it.
FAKE_GAMEPAD = """
(function() {
  var pad = null;
  navigator.getGamepads = function() { return [pad]; };
  window.kvPadSet = function(buttons, axes) {
    var plugged = !!pad;
    if (buttons === null) {
      pad = null;
      if (plugged)
        window.dispatchEvent(new Event('gamepaddisconnected'));
      return;
    }
    var list = [];
    for (var i = 0; i < 17; i++) {
      var on = buttons.indexOf(i) >= 0;
      list.push({pressed: on, touched: on, value: on ? 1 : 0});
    }
    pad = {id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
           timestamp: performance.now(), axes: (axes || [0, 0]).concat([0, 0]), buttons: list};
    if (!plugged)
      window.dispatchEvent(new Event('gamepadconnected'));
  };
})();
"""
# A browser without full screen for pages, as iPhone Safari.
NO_FULL_SCREEN = "Object.defineProperty(Document.prototype, 'fullscreenEnabled', {get: () => false});"
START, BACK, DPAD_DOWN, DPAD_RIGHT = 9, 8, 13, 15


def decode(png):
    image = Image.open(io.BytesIO(png))
    image.load()
    return image.convert("RGB")


def picture_difference(a, b):
    """Mean channel difference of two pictures brought to 160x120 (the
    scaling's blur averaged away), the fps readout left out. The title is
    mostly dark: against a black picture this gives about 3.4, against the
    title moved 5 pixels about 3; the same title at another size about 0.2."""
    a, b = a.resize((640, 480), Image.BILINEAR), b.resize((640, 480), Image.BILINEAR)
    for image in (a, b):
        image.paste((0, 0, 0), FPS_BOX)
    a, b = a.resize((160, 120), Image.BOX), b.resize((160, 120), Image.BOX)
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


class Browser:
    """A Chromium (without the autoplay switch) and one page on it."""

    def __init__(self, init_script=None):
        folder = kvweb.dist_dir()
        if not os.path.exists(os.path.join(folder, "index.html")):
            raise RuntimeError("no web build in %s (bash tools/dev.sh web-dist)" % folder)
        self.server = kvweb.StaticServer(folder)
        self.url = self.server.url + "index.html"
        flags = [f for f in kvweb.CHROMIUM_FLAGS if not f.startswith("--autoplay-policy")]
        with mock.patch.object(kvweb, "CHROMIUM_FLAGS", flags):
            self.browser = kvweb.Chromium().__enter__()
        self.page = kvweb.Page(self.browser)
        if init_script:
            self.page.send("Page.addScriptToEvaluateOnNewDocument", source=init_script)

    def close(self):
        self.page.close()
        self.browser.close()
        self.server.close()


def open_device(p, url, width, height, scale, touch, mobile=True):
    """Loads url on an emulated device (touch switched on before the load
    when asked) and waits for drawn frames."""
    p.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=scale,
           mobile=mobile)
    p.send("Emulation.setTouchEmulationEnabled", enabled=touch, maxTouchPoints=5)
    try:
        # Fingers a failed test left on the screen.
        p.send("Input.dispatchTouchEvent", type="touchCancel", touchPoints=[])
    except RuntimeError:
        pass
    p.errors.clear()
    p.events.clear()
    p.send("Page.navigate", url=url)
    p.wait_event("Page.loadEventFired")
    try:
        wait_for(lambda: p.frames() > 2, 120, "drawn frames")
    except TimeoutError as e:
        p.pump()
        raise TimeoutError("%s (status %s, errors %s)" % (e, p.eval("window.kvStatus"), p.errors)) from None


def rect(p, selector):
    """[left, top, width, height] of the first element matching selector,
    or None when it is not shown."""
    return p.eval("(() => { const e = document.querySelector(%r); if (!e) return null;"
                  " const r = e.getBoundingClientRect();"
                  " return r.width && r.height ? [r.left, r.top, r.width, r.height] : null; })()" % selector)


def control(p, name):
    return rect(p, '#touch [aria-label="%s"]' % name)


def centre(p, name):
    r = control(p, name)
    assert r, "the %s control is not shown" % name
    return r[0] + r[2] / 2, r[1] + r[3] / 2


def fingers(p, kind, points):
    """One touch event: points is {identifier: (x, y)} of every finger on the
    screen after it (the protocol presses, moves and lifts to match)."""
    p.send("Input.dispatchTouchEvent", type=kind,
           touchPoints=[dict(x=x, y=y, id=i, radiusX=4, radiusY=4, force=1) for i, (x, y) in points.items()])


def lift_all(p):
    p.send("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


def tap(p, name, until):
    """Taps a control and waits for its effect (and a drawn frame after the lift)."""
    fingers(p, "touchStart", {1: centre(p, name)})
    try:
        p.wait_frames(2)
        wait_for(until, 60, "the effect of tapping " + name)
    finally:
        lift_all(p)
    p.wait_frames(2)


def overlap(a, b):
    return a[0] < b[0] + b[2] - 0.5 and b[0] < a[0] + a[2] - 0.5 and a[1] < b[1] + b[3] - 0.5 and b[1] < a[1] + a[3] - 0.5


def shown_controls(p):
    names = ["Left", "Right", "Up", "Down", "Jump", "Sword", "Switch", "OK", "Back"]
    return {n: r for n, r in ((n, control(p, n)) for n in names) if r}


def wait_play(p, predicate, what):
    """wait_for with the game's state and the lit controls in its failure."""
    try:
        return wait_for(predicate, 60, what)
    except TimeoutError as e:
        raise TimeoutError("%s; state %s, lit %s" % (e, p.state(), p.eval(
            "[...document.querySelectorAll('#touch .on')].map(e => e.dataset.kv)"))) from None


def still(p, key, frames=8):
    """True when the state's key keeps its value over frames drawn frames."""
    before = p.state()[key]
    p.wait_frames(frames)
    return p.state()[key] == before


class PhoneTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.b = Browser()
        cls.page = cls.b.page

    @classmethod
    def tearDownClass(cls):
        cls.b.close()

    def test_a_phone_plays_by_touch_with_sound(self):
        p = self.page
        open_device(p, self.b.url, 844, 390, 3, touch=True)
        self.assertEqual(shown_controls(p), {}, "controls before the first touch")
        self.assertEqual(p.eval("Module.kvAudioState()"), "suspended", "sound before any gesture")

        # The first tap (on the picture) shows the controls and starts the sound.
        x, y, w, h = p.canvas_rect()
        fingers(p, "touchStart", {1: (x + w / 2, y + h / 2)})
        lift_all(p)
        wait_for(lambda: p.eval("Module.kvAudioState()") == "running", 30, "the sound running after a tap")
        self.assertEqual(sorted(shown_controls(p)), ["Down", "Left", "OK", "Right", "Up"], "title controls")
        for name, r in shown_controls(p).items():
            self.assertFalse(overlap(r, p.canvas_rect()), "%s lies over the picture, not in the side bar" % name)
            self.assertTrue(r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= 844 and r[1] + r[3] <= 390, name)

        tap(p, "OK", lambda: p.state()["state"] == 1)   # "Play": the story
        self.assertIn("Back", shown_controls(p), "the story leads back with Esc")
        tap(p, "OK", lambda: p.state()["state"] == 3)   # the story ends in play
        self.assertEqual(sorted(shown_controls(p)),
                         ["Back", "Down", "Jump", "Left", "Right", "Switch", "Sword", "Up"], "play controls")

        # A finger put on Right and slid to Left walks right, then left.
        start = p.state()
        fingers(p, "touchStart", {3: centre(p, "Right")})
        wait_play(p, lambda: p.state()["xpos"] > start["xpos"] + 5, "walking right")
        turned = p.state()
        fingers(p, "touchMove", {3: centre(p, "Left")})
        wait_play(p, lambda: p.state()["xpos"] < turned["xpos"] - 5, "walking left after the slide")
        fingers(p, "touchCancel", {})
        wait_for(lambda: still(p, "xpos"), 60, "the player stopped by a cancelled touch")

        # Hold Right: the player walks right.
        start = p.state()
        fingers(p, "touchStart", {1: centre(p, "Right")})
        wait_play(p, lambda: p.state()["xpos"] > start["xpos"] + 10, "walking right")
        self.assertIn("on", p.eval("document.querySelector('[aria-label=Right]').className"), "Right lit")
        # A second finger on Jump while Right is held: the player rises while walking on.
        walking = p.state()
        fingers(p, "touchStart", {1: centre(p, "Right"), 2: centre(p, "Jump")})
        wait_play(p, lambda: (lambda s: s["ypos"] < walking["ypos"] - 10 and s["xpos"] > walking["xpos"] + 5)(
            p.state()), "rising while walking right")
        if os.environ.get("KV_PHONE_SHOT"):
            shot = p.send("Page.captureScreenshot", format="png",
                          clip=dict(x=0, y=0, width=844, height=390, scale=1 / 3))
            with open(os.environ["KV_PHONE_SHOT"], "wb") as f:
                f.write(base64.b64decode(shot["data"]))
        # Every finger lifted: the player stops and nothing stays lit.
        lift_all(p)
        wait_for(lambda: still(p, "xpos"), 60, "the player standing still")
        self.assertEqual(p.eval("document.querySelectorAll('#touch .on').length"), 0, "controls lit")

        tap(p, "Back", lambda: p.state()["state"] == 0)  # Back leaves play for the title
        self.assertNotIn("Back", shown_controls(p), "Back on the title would end the game")
        # The first key press hides the controls.
        p.press("Down")
        self.assertEqual(shown_controls(p), {}, "controls after a key press")
        p.pump()
        self.assertEqual(p.errors, [])

    def test_every_screen_size_shows_the_whole_picture(self):
        p = self.page
        open_device(p, self.b.url, 640, 480, 1, touch=False, mobile=False)
        p.wait_frames(3)
        title = decode(p.capture_canvas())
        # A keyboard player's 640x480 window: the controls line on one line,
        # the picture as large as ever.
        self.assertEqual([round(v) for v in p.canvas_rect()], [15, 0, 608, 456], "640x480 picture")
        tried = []
        for width, height, scale, touch in SIZES:
            what = "%dx%d at scale %d" % (width, height, scale)
            open_device(p, self.b.url, width, height, scale, touch=touch, mobile=touch)
            p.wait_frames(3)
            view = p.eval("[innerWidth, innerHeight, document.documentElement.scrollWidth,"
                          " document.documentElement.scrollHeight, visualViewport.scale]")
            self.assertEqual(view, [width, height, width, height, 1], what + ": page size, scroll, zoom")
            x, y, w, h = p.canvas_rect()
            self.assertTrue(x >= 0 and y >= 0 and x + w <= width and y + h <= height, what + ": canvas inside")
            # The game's letterbox of a box as wide (portrait) or as high (landscape).
            box = p.eval("Module.kvViewport(%d, %d)" % ((round(w), 100000) if height > width else (100000, round(h))))
            self.assertEqual((round(w), round(h)), (box["width"], box["height"]), what + ": 4:3 letterbox")
            line = rect(p, "#controls")
            self.assertEqual(line[1] + line[3], height, what + ": controls line at the bottom")
            self.assertTrue(p.eval("(() => { const c = document.getElementById('controls');"
                                   " return c.scrollWidth <= c.clientWidth && c.scrollHeight <= c.clientHeight; })()"),
                            what + ": controls line cut")
            self.assertFalse(overlap(line, [x, y, w, h]), what + ": controls line over the picture")
            self.assertIsNotNone(rect(p, "#full"), what + ": the Full screen button")
            # As large as the page allows: the whole width in portrait, the whole
            # height above the controls line in landscape.
            if height > width:
                self.assertEqual(round(w), width, what + ": picture width")
            else:
                self.assertEqual(round(y + h), round(line[1]), what + ": picture height")
                self.assertEqual(round(y), 0, what + ": picture top")
            difference = picture_difference(decode(p.capture_canvas()), title)
            self.assertLess(difference, 1.5, what + ": the title's picture")
            tried.append("%s: canvas %dx%d, title difference %.1f" % (what, w, h, difference))
            if touch:
                # A touch shows the controls: inside the page, clear of the
                # controls line; below the picture in portrait.
                fingers(p, "touchStart", {1: (2, 2)})
                lift_all(p)
                shown = wait_for(lambda: shown_controls(p), 10, "controls shown")
                line = rect(p, "#controls")
                x, y, w, h = p.canvas_rect()
                self.assertEqual(line[1] + line[3], height, what + ": controls line at the bottom")
                self.assertEqual(sorted(shown), ["Down", "Left", "OK", "Right", "Up"], what)
                for name, r in shown.items():
                    self.assertTrue(r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= width and r[1] + r[3] <= line[1] + 0.5,
                                    "%s: %s outside the page" % (what, name))
                    if height > width:
                        self.assertGreaterEqual(r[1], y + h - 0.5, "%s: %s not below the picture" % (what, name))
                    self.assertGreaterEqual(r[2], 36, "%s: %s too small for a finger" % (what, name))
                self.assertEqual(p.eval("[document.getElementById('canvas'), document.querySelector('#touch button')]"
                                        ".map(e => e.dispatchEvent(new MouseEvent('contextmenu',"
                                        " {bubbles: true, cancelable: true})))"), [False, False],
                                 what + ": a long press's menu not refused")
        print("\n".join(tried), file=sys.stderr)
        p.pump()
        self.assertEqual(p.errors, [])


class GamepadTest(unittest.TestCase):
    def test_a_gamepad_alone_plays_and_unplugging_releases(self):
        """On a browser without full screen (no Full screen button there)."""
        b = Browser(FAKE_GAMEPAD + NO_FULL_SCREEN)
        self.addCleanup(b.close)
        p = b.page
        open_device(p, b.url, 640, 480, 1, touch=False, mobile=False)
        self.assertIsNone(rect(p, "#full"), "a Full screen button that cannot work")

        def pad(buttons, axes=None, until=None):
            """Holds buttons (and the stick at axes) for two frames, or until
            the predicate holds, then lets go."""
            p.eval("kvPadSet(%r, %r)" % (buttons, axes or [0, 0]))
            p.wait_frames(2)
            if until:
                wait_for(until, 60, "the effect of pad buttons %r axes %r" % (buttons, axes))
            p.eval("kvPadSet([], [0, 0])")
            p.wait_frames(2)

        # Down on the d-pad selects "DEBUG BYPASS", the stick up "Play" again:
        # only with both moves does Start open the story (without the d-pad
        # it would choose "Exit", without the stick skip the story).
        pad([DPAD_DOWN])
        pad([], [0, -1])
        pad([START], until=lambda: p.state()["state"] != 0)
        self.assertEqual(p.state()["state"], 1, "Start on Play opens the story")
        pad([START], until=lambda: p.state()["state"] == 3)
        start = p.state()
        pad([DPAD_RIGHT], until=lambda: p.state()["xpos"] > start["xpos"] + 5)
        pad([BACK], until=lambda: p.state()["state"] == 0)  # Back/Select leaves play
        pad([START], until=lambda: p.state()["state"] == 3)  # "Play" again, straight into play

        # Unplugged while the stick holds right: the player stops.
        p.eval("kvPadSet([], [1, 0])")
        start = p.state()
        wait_for(lambda: p.state()["xpos"] > start["xpos"] + 5, 60, "walking right on the stick")
        p.eval("kvPadSet(null)")
        unplugged = p.state()["xpos"]
        wait_for(lambda: still(p, "xpos"), 60, "the player stopped after the unplug")
        # Walking on (2 pixels a tick) the player would go on to the crates.
        self.assertLess(p.state()["xpos"], unplugged + 30, "the player stopped where the pad was unplugged")
        # Plugged in again mid-game, it works at once.
        start = p.state()
        pad([DPAD_RIGHT], until=lambda: p.state()["xpos"] > start["xpos"] + 5)
        p.pump()
        self.assertEqual(p.errors, [])


if __name__ == "__main__":
    unittest.main()
