"""The browser build in a real headless Chromium, driven over the DevTools
protocol: it loads cleanly, draws the desktop build's title, plays, saves a
screenshot as a download, keeps its options across a reload and mixes sound.

Run: /usr/bin/python3 tests/web/test_web.py (KV_WEB_DIST picks the folder;
KV_BINARY / KV_GAME_DIR the desktop build whose title is the reference,
default build/kelvantis and build/game)."""
import io
import os
import shutil
import sys
import tempfile
import unittest

from PIL import Image, ImageChops

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "support"))

import kvweb  # noqa: E402
from kvweb import wait_for  # noqa: E402

os.environ.setdefault("KV_BINARY", os.path.join(kvweb.ROOT, "build", "kelvantis"))
os.environ.setdefault("KV_GAME_DIR", os.path.join(kvweb.ROOT, "build", "game"))

# The fps readout at (500, 460) shows the last measured frame time, which
# differs from run to run and between the builds: it is left out of every
# comparison.
FPS_BOX = (490, 450, 640, 480)
# A channel may differ by this much between two renderers before the pixel
# counts as different; at most MAX_DIFFERENT pixels may differ, fewer than
# one changed digit of the menu font (about 50 pixels).
CHANNEL_TOLERANCE = 24
MAX_DIFFERENT = 16
# The options screen's music volume line.
MUSIC_LINE = (215, 250, 440, 275)


def decode(png):
    image = Image.open(io.BytesIO(png))
    image.load()
    return image.convert("RGB")


def difference(a, b, box=None):
    """(pixels differing by more than CHANNEL_TOLERANCE in a channel,
    largest channel difference), the fps readout left out; only inside box
    when one is given."""
    if box:
        a, b = a.crop(box), b.crop(box)
    diff = ImageChops.difference(a, b)
    diff.paste((0, 0, 0), FPS_BOX)
    worst = max(hi for lo, hi in diff.getextrema())
    grey = diff.split()
    mask = ImageChops.lighter(ImageChops.lighter(grey[0], grey[1]), grey[2])
    count = sum(mask.point(lambda v: 255 if v > CHANNEL_TOLERANCE else 0).histogram()[255:])
    return count, worst


def desktop_title():
    """The desktop build's title screen, taken with its own F2 under Xvfb."""
    from kvharness import GameRun, Xvfb, request_shot
    with Xvfb() as x, GameRun(x) as g:
        g.start()
        g.wait_window()
        request_shot(g)
        with open(g.path("screenshot.png"), "rb") as f:
            return decode(f.read())


class WebBuildTest(kvweb.PageTestCase):

    def assertSamePicture(self, a, b, what, box=None):
        self.assertEqual(a.size, b.size, what)
        count, worst = difference(a, b, box)
        print("%s: %d pixels differ by more than %d, largest channel difference %d"
              % (what, count, CHANNEL_TOLERANCE, worst), file=sys.stderr)
        self.assertLessEqual(count, MAX_DIFFERENT, what)

    def test_title_loads_without_errors_and_matches_the_desktop(self):
        p = self.open_title()
        web = decode(p.capture_canvas())
        p.pump()
        self.assertEqual(p.errors, [])
        self.assertSamePicture(web, desktop_title(), "web title against the desktop title")

    def test_f2_downloads_a_png_of_the_canvas(self):
        p = self.open_title()
        folder = tempfile.mkdtemp(prefix="kvweb-download-")
        self.addCleanup(shutil.rmtree, folder, True)
        p.allow_downloads(folder)
        shown = decode(p.capture_canvas())
        p.press("F2")
        p.wait_event("Browser.downloadProgress", 60, lambda e: e.get("state") == "completed")
        self.assertEqual(os.listdir(folder), ["screenshot.png"])
        with open(os.path.join(folder, "screenshot.png"), "rb") as f:
            png = f.read()
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        shot = Image.open(io.BytesIO(png))
        shot.load()
        self.assertEqual((shot.size, shot.mode), ((640, 480), "RGB"))
        self.assertSamePicture(shot, shown, "F2 picture against the canvas")

    def test_play_walk_right_and_menu_sound(self):
        p = self.open_title()
        mixed = p.eval("Module.kvMixerCounts().sampleFrames")
        p.press("Down")  # the menu-move sample
        wait_for(lambda: p.eval("Module.kvMixerCounts().sampleFrames") > mixed, 60, "the sample mixed")
        p.press("Up")
        p.hold("Enter", until=lambda: p.state()["state"] == 1)   # "Play": the story
        p.hold("Enter", until=lambda: p.state()["state"] == 3)   # the story ends in play
        start = p.state()
        p.hold("Right", until=lambda: p.state()["xpos"] > start["xpos"])
        p.pump()
        self.assertEqual(p.errors, [])

    def test_option_survives_a_reload(self):
        p = self.open_title()
        p.press("Down", "Down", "Enter")        # "Options", on its first entry
        p.wait_frames(2)
        before = decode(p.capture_canvas())
        p.press("Down", "Enter", "Left", "Enter")  # music volume one step down
        p.press("Down", "Down", "Down", "Down", "Enter")  # "Return" saves, back on the title
        p.press("Down", "Down", "Enter")
        p.wait_frames(2)
        changed = decode(p.capture_canvas())
        self.assertGreater(difference(before, changed, MUSIC_LINE)[0], MAX_DIFFERENT,
                           "the music volume shown did not change")
        p.reload()
        wait_for(lambda: p.frames() >= 3, 120, "frames after the reload")
        p.press("Down", "Down", "Enter")
        p.wait_frames(2)
        self.assertSamePicture(decode(p.capture_canvas()), changed, "options after the reload")


if __name__ == "__main__":
    unittest.main()
