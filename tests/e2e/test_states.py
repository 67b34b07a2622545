"""Game states reached from the title menu, driven with real key presses under Xvfb."""
import os
import time
import unittest

from kvharness import GameRun, Xvfb

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
FONT = os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp")


def keys(game, *names):
    for name in names:
        game.hold(name)


@unittest.skipUnless(os.path.exists(FONT), "the game folder has no font yet, so the game cannot start")
class StateTest(unittest.TestCase):
    def test_debug_bypass_starts_play_and_exit_reports_the_undrawn_state(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            keys(g, "Down", "Return")  # "DEBUG BYPASS": play at once, debug run
            time.sleep(0.3)
            keys(g, "Escape")          # from play back to the title, not out of the game
            time.sleep(0.3)
            self.assertIsNone(g.proc.poll(), "Esc in play must return to the title")
            keys(g, "Up", "Up", "Return")  # "DEBUG BYPASS" -> "Play" -> "Exit"
            self.assertEqual(g.wait_exit(), 0)
            # The frame drawn between "Exit" and the end prints this in debug runs only.
            self.assertTrue(g.stdout.endswith(b"Error: GameState var=6"), g.stdout)

    def test_play_shows_the_story_and_exit_is_quiet_outside_debug_runs(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            keys(g, "Return")          # "Play": the story
            time.sleep(0.3)
            keys(g, "Return")          # skip it: play
            time.sleep(0.3)
            keys(g, "Escape")          # back to the title
            time.sleep(0.3)
            self.assertIsNone(g.proc.poll(), "Esc in the story or in play must not end the game")
            keys(g, "Up", "Return")    # "Exit"
            self.assertEqual(g.wait_exit(), 0)
            self.assertNotIn(b"Error: GameState", g.stdout)

    def test_f2_writes_a_screenshot_on_the_title_screen(self):
        with Xvfb() as x, GameRun(x) as g:
            g.start()
            g.wait_window()
            g.hold("F1", 0.3)
            g.hold("F2")
            time.sleep(0.5)
            self.assertIsNone(g.proc.poll())
            with open(g.path("screenshot.png"), "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            keys(g, "Escape")
            self.assertEqual(g.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
