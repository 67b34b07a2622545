"""More start-up of the real game under Xvfb (1024x768, no window manager):
window placement, full screen from the settings file, hostile settings files
and JPEG pictures that cannot be used."""
import os
import unittest

from kvharness import GameRun, XvfbTestCase, key_to_exit, sync_frames

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "gfx", "bg.jpg"))

SCREEN_W, SCREEN_H = 1024, 768


@unittest.skipUnless(HAVE_GAME, "the game folder has no pictures yet")
class StartupMoreTest(XvfbTestCase):
    screen = "%dx%dx24" % (SCREEN_W, SCREEN_H)

    def start_with_cfg(self, g, cfg):
        with open(g.path("kv.cfg"), "wb") as f:
            f.write(cfg)
        g.start()
        g.wait_window()
        # Drawn frames prove the main loop has run, and with it the requests
        # that start-up queued for the window (full screen, position).
        sync_frames(g, 2)
        geo = g.window_geometry()
        return tuple(int(geo[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def quit(self, g):
        self.assertEqual(key_to_exit(g, "Escape"), 0)

    def test_window_opens_at_100_100(self):
        with GameRun(self.xvfb) as g:
            geo = self.start_with_cfg(g, b"FULLSCREEN=0\r\nMUSIC=5\r\nSFX=5\r\nSWAPP1=0")
            self.quit(g)
        self.assertEqual(geo, (100, 100, 640, 480))

    def test_full_screen_setting_gives_a_window_of_the_screen_size(self):
        with GameRun(self.xvfb) as g:
            geo = self.start_with_cfg(g, b"FULLSCREEN=1\r\nMUSIC=5\r\nSFX=5\r\nSWAPP1=0")
            self.quit(g)
        print("full screen window (x, y, w, h):", geo)
        self.assertEqual(geo[2:], (SCREEN_W, SCREEN_H))

    # Without a window manager freeglut 3.4 moves the window to minus its
    # requested position when it goes full screen, leaving a strip of the
    # screen uncovered unless start-up moves the window to (0, 0) first.
    def test_full_screen_window_covers_the_whole_screen(self):
        with GameRun(self.xvfb) as g:
            x, y, w, h = self.start_with_cfg(g, b"FULLSCREEN=1\r\nMUSIC=5\r\nSFX=5\r\nSWAPP1=0")
            self.quit(g)
        self.assertLessEqual(x, 0)
        self.assertLessEqual(y, 0)
        self.assertGreaterEqual(x + w, SCREEN_W)
        self.assertGreaterEqual(y + h, SCREEN_H)

    def test_hostile_settings_files_still_start(self):
        junk = bytes(range(256)) * 3
        cases = [
            # Nothing matches: the defaults hold, a plain window.
            (junk + b"\n" + b"\xff" * 5000 + b"\n\x00\x00MUSIC=1\n" + junk, 640),
            # A first line far longer than the line buffer still gives its
            # number; the rest of it is read as the following lines.
            (b"FULLSCREEN=1" + b"\xfe" * 3000 + b"\r\n" + junk, SCREEN_W),
            # Numbers of any size, signs and blanks.
            (b"FULLSCREEN=-99999999999999999999\r\nMUSIC=+99999999999999999999\r\n"
             b"SFX=   -7\r\nSWAPP1=2147483648", SCREEN_W),
        ]
        for cfg, width in cases:
            with self.subTest(cfg=cfg[:40]), GameRun(self.xvfb) as g:
                geo = self.start_with_cfg(g, cfg)
                self.assertEqual(geo[2], width)
                self.quit(g)
                self.assertNotIn(b"ERROR opening file kv.cfg", g.stdout)

    def test_missing_jpeg_is_reported_and_ends_with_code_one(self):
        with GameRun(self.xvfb) as g:
            os.remove(g.path("gfx/bg.jpg"))
            g.start()
            self.assertEqual(g.wait_exit(), 1)
        self.assertTrue(g.stdout.endswith(b"ERROR opening file gfx/bg.jpg\n\n"), g.stdout[-200:])
        self.assertEqual(g.stdout.count(b"ERROR opening file gfx/bg.jpg"), 1)
        self.assertNotIn(b"Problem initializing", g.stdout)

    def test_corrupt_jpeg_ends_with_code_one_and_the_library_message(self):
        cases = [
            ("gfx/bg.jpg", b"NOTAJPEG" * 100, b"Not a JPEG file: starts with 0x4e 0x4f\n"),
            ("gfx/storymap.jpg", b"\xff\xd8", b"JPEG datastream contains no image\n"),
            ("gfx/gameover.jpg", b"", b"Empty input file\n"),
        ]
        for name, data, message in cases:
            with self.subTest(name=name), GameRun(self.xvfb) as g:
                with open(g.path(name), "wb") as f:
                    f.write(data)
                g.start()
                self.assertEqual(g.wait_exit(), 1)
                self.assertTrue(g.stderr.endswith(message), g.stderr[-300:])
                self.assertNotIn(b"Problem initializing", g.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
