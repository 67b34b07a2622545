"""Game states reached from the title menu, driven with real key presses under Xvfb.

Screenshots taken with F2 are decoded with Pillow and their pixels checked
against where the game puts its texts (640x480, origin top left)."""
import io
import os
import time
import unittest

from PIL import Image

from kvharness import GameRun, Xvfb, key_to_exit, keys, sync_frames

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
FONT = os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp")

def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def ink_box(image, box, threshold=60):
    """Bounding box (x0, y0, x1, y1) in screen pixels of the pixels inside box
    whose grey level is above threshold, or None when there are none."""
    grey = image.crop(box).convert("L").point(lambda v: 255 if v > threshold else 0)
    found = grey.getbbox()
    if found is None:
        return None
    return (found[0] + box[0], found[1] + box[1], found[2] + box[0], found[3] + box[1])


def white_box(image, box):
    """Bounding box in screen pixels of the nearly white pixels inside box, or None."""
    region = image.crop(box)
    width = region.size[0]
    points = [(i % width, i // width) for i, p in enumerate(region.getdata()) if min(p) > 235]
    if not points:
        return None
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) + box[0], min(ys) + box[1], max(xs) + 1 + box[0], max(ys) + 1 + box[1])


def count_pixels(image, box, test):
    region = image.crop(box)
    return sum(1 for p in region.getdata() if test(p))


@unittest.skipUnless(os.path.exists(FONT), "the game folder has no font yet, so the game cannot start")
class StateTest(unittest.TestCase):
    def take_shot(self, g):
        """A screenshot of the next drawn frame, decoded (the game writes the
        file under another name and renames it, so once it exists it is whole)."""
        sync_frames(g, 1)
        data = read_bytes(g.path("screenshot.png"))
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        image = Image.open(io.BytesIO(data))
        image.load()
        self.assertEqual(image.size, (640, 480))
        self.assertEqual(image.mode, "RGB")
        return image

    def assertInside(self, found, low, high, what):
        """found lies between the corners low and high (x0, y0, x1, y1 each)."""
        self.assertIsNotNone(found, what + ": nothing drawn")
        for i in range(4):
            self.assertGreaterEqual(found[i], low[i], "%s at %s" % (what, found))
            self.assertLessEqual(found[i], high[i], "%s at %s" % (what, found))

    def test_debug_bypass_starts_play_and_exit_reports_the_undrawn_state(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            keys(g, "Down", "Return")  # "DEBUG BYPASS": play at once, debug run
            shot = self.take_shot(g)
            # The playing screen of a debug run: the cyan "curTime: %f" readout
            # at (1, 100), scale 2 (32 px high), and the white lives readout at
            # (534, 1), neither of which the title screens show.
            cyan = count_pixels(shot, (0, 98, 640, 134),
                                lambda p: p[0] < 80 and p[1] > 200 and p[2] > 200)
            self.assertGreater(cyan, 300, "no debug clock readout: not a debug run in play")
            self.assertEqual(count_pixels(shot, (0, 0, 640, 96),
                                          lambda p: p[0] < 80 and p[1] > 200 and p[2] > 200), 0,
                             "cyan above the debug clock")
            white = count_pixels(shot, (530, 0, 640, 20), lambda p: min(p) > 220)
            self.assertGreater(white, 30, "no lives readout at the top right")
            keys(g, "Escape")          # from play back to the title, not out of the game
            self.assertIsNone(g.proc.poll(), "Esc in play must return to the title")
            keys(g, "Up", "Up")        # "DEBUG BYPASS" -> "Play" -> "Exit"
            self.assertEqual(key_to_exit(g, "Return"), 0)
            # The frame drawn between "Exit" and the end prints this in debug runs only.
            self.assertTrue(g.stdout.endswith(b"Error: GameState var=6"), g.stdout)

    def test_play_shows_the_story_and_exit_is_quiet_outside_debug_runs(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            keys(g, "Return")          # "Play": the story
            played = time.time()
            # The text shows after 2000 ms of game time. A tick takes at least
            # 11 ms, so the story cannot end (10000 ms of game time, 850
            # ticks) before 9.35 s have passed; shots until then are safe.
            while True:
                shot = self.take_shot(g)
                if time.time() - played > 9.0 or white_box(shot, (0, 240, 640, 440)):
                    break
            # Six lines in the small set at x = 21, y = 255, 285, ..., 405, in
            # white over the darkening picture; nothing white above them.
            for i in range(6):
                y = 255 + 30 * i
                self.assertInside(white_box(shot, (0, y - 5, 640, y + 22)),
                                  (19, y, 19, y + 10), (100, y + 4, 640, y + 17),
                                  "story line %d" % (i + 1))
            self.assertIsNone(white_box(shot, (0, 0, 640, 245)), "white above the story text")
            keys(g, "Return")          # skip it: play
            keys(g, "Escape")          # back to the title
            self.assertIsNone(g.proc.poll(), "Esc in the story or in play must not end the game")
            keys(g, "Up")              # "Exit"
            self.assertEqual(key_to_exit(g, "Return"), 0)
            self.assertNotIn(b"Error: GameState", g.stdout)

    def test_f2_on_the_title_saves_the_title_screen_with_its_overlays(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            shot = self.take_shot(g)

            # Large glyphs are 24x32 with a 22.5 px advance, small ones
            # 12.8x16 with 12; each box allows a few pixels for the empty
            # margins inside the glyph cells.
            # "K E L  V A N T I S" at (120, 150), large: 18 glyphs up to x 526.
            self.assertInside(ink_box(shot, (60, 120, 600, 215)),
                              (119, 149, 490, 160), (130, 165, 527, 183), "title")
            # "Play" selected: large at (220, 225); "DEBUG BYPASS" small at (250, 255).
            self.assertInside(ink_box(shot, (150, 220, 640, 254)),
                              (219, 224, 280, 240), (226, 232, 311, 254), "selected Play")
            self.assertInside(ink_box(shot, (150, 255, 640, 280)),
                              (249, 254, 380, 258), (256, 260, 406, 272), "DEBUG BYPASS")
            self.assertInside(ink_box(shot, (150, 343, 640, 370)),
                              (249, 343, 280, 350), (256, 350, 300, 362), "Exit")
            # "Kel Vantis demo" at (1, 1) and "v0.10a" at (570, 1), small.
            self.assertInside(ink_box(shot, (0, 0, 300, 30)),
                              (0, 0, 150, 10), (8, 6, 182, 18), "Kel Vantis demo")
            self.assertInside(ink_box(shot, (500, 0, 640, 30)),
                              (569, 0, 620, 10), (576, 6, 640, 18), "v0.10a")
            # The fps counter at (500, 460), drawn over every screen.
            self.assertInside(ink_box(shot, (400, 440, 640, 480)),
                              (499, 459, 560, 470), (508, 466, 640, 480), "fps counter")
            # Nothing else: the screen has no picture behind the texts.
            for empty in ((0, 20, 640, 148), (0, 186, 640, 222), (0, 375, 640, 455),
                          (0, 200, 200, 455)):
                self.assertIsNone(ink_box(shot, empty, 20), "ink in %s" % (empty,))

            # With F1 held the controls help shows from (10, 40) to about
            # y 113 in (0.95, 0.95, 1.0), and the shot (taken after the
            # overlays, before the swap) holds it.
            g.xdotool("keydown", "F1")
            helped = self.take_shot(g)
            g.xdotool("keyup", "F1")
            self.assertInside(ink_box(helped, (0, 20, 640, 148)),
                              (9, 39, 300, 100), (16, 44, 640, 116), "controls help")
            bright = [p for p in helped.crop((0, 38, 640, 116)).getdata() if p[2] > 250]
            self.assertTrue(bright, "no help text at full blue")
            self.assertTrue(all(236 <= p[0] <= 246 and 236 <= p[1] <= 246 for p in bright),
                            "help text is not (0.95, 0.95, 1.0): %s" % (bright[:5],))

            self.assertIsNone(g.proc.poll())
            self.assertEqual(key_to_exit(g, "Escape"), 0)


if __name__ == "__main__":
    unittest.main()
