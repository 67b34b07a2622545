"""Start-up of the real game under Xvfb: settings message, window, missing files."""
import os
import unittest

from kvharness import GameRun, XvfbTestCase, key_to_exit

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp"))


@unittest.skipUnless(HAVE_GAME, "the game folder has no font yet")
class StartupTest(XvfbTestCase):

    def test_without_settings_file_reports_it_and_opens_the_window(self):
        with GameRun(self.xvfb) as g:
            self.assertFalse(os.path.exists(g.path("kv.cfg")))
            g.start()
            g.wait_window()
            geo = g.window_geometry()
            self.assertEqual((geo["WIDTH"], geo["HEIGHT"]), ("640", "480"))
            name = g.xdotool("getwindowname", g.window).strip()
            self.assertEqual(name, "KelVantis Demo -- by Orvelle")
            self.assertEqual(key_to_exit(g, "Escape"), 0)
            self.assertTrue(g.stdout.startswith(b"ERROR opening file kv.cfg\n\n"), g.stdout[:200])
            # Loading the settings never writes them.
            self.assertFalse(os.path.exists(g.path("kv.cfg")))

    def test_with_settings_file_prints_nothing_about_it(self):
        with GameRun(self.xvfb) as g:
            with open(g.path("kv.cfg"), "wb") as f:
                f.write(b"FULLSCREEN=0\r\nMUSIC=3\r\nSFX=4\r\nSWAPP1=0")
            g.start()
            g.wait_window()
            self.assertEqual(key_to_exit(g, "Escape"), 0)
            self.assertNotIn(b"ERROR opening file kv.cfg", g.stdout)

    def test_missing_font_exits_with_code_one(self):
        with GameRun(self.xvfb) as g:
            os.remove(g.path("gfx/fonts/glFont.bmp"))
            g.start()
            self.assertEqual(g.wait_exit(), 1)
            self.assertIn(b"Font load failure; exiting.\n", g.stdout)

    def test_missing_time_bonus_picture_is_reported_without_newline_and_game_runs(self):
        with GameRun(self.xvfb) as g:
            os.remove(g.path("gfx/timebonus.bmp"))
            g.start()
            g.wait_window()
            self.assertEqual(key_to_exit(g, "Escape"), 0)
            out = g.stdout
            self.assertIn(b"Problem loading timebonus.bmp", out)
            after = out.split(b"Problem loading timebonus.bmp", 1)[1]
            self.assertFalse(after.startswith(b"\n"), out)

    def test_missing_map_exits_with_code_one_and_message(self):
        with GameRun(self.xvfb) as g:
            os.remove(g.path("data/maps/maplvl1.map"))
            g.start()
            self.assertEqual(g.wait_exit(), 1)
            self.assertIn(b"Map load failure; exiting.\n", g.stdout)

    def test_without_a_display_the_game_fails_cleanly(self):
        with GameRun(self.xvfb, env={"DISPLAY": ""}) as g:
            g.start()
            self.assertEqual(g.wait_exit(), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
