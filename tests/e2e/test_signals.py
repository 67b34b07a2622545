"""Ctrl+C and kill end the game at once, as they end any program run from a terminal."""
import os
import signal
import time
import unittest

from kvharness import GameRun, XvfbTestCase, keys

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp"))


def gone_within(game, seconds):
    """Exit code of the game if it ended within seconds, else None."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if game.proc.poll() is not None:
            return game.proc.returncode
        time.sleep(0.01)
    return None


@unittest.skipUnless(HAVE_GAME, "the game folder has no font yet")
class SignalTest(XvfbTestCase):

    def check_signal_ends_game(self, sig, playing):
        with GameRun(self.xvfb) as g:
            g.start()
            g.wait_window()
            if playing:
                keys(g, "Down", "Return")  # "DEBUG BYPASS": the sound plays
            g.proc.send_signal(sig)
            code = gone_within(g, 1.0)
            self.assertIsNotNone(code, "the game still runs 1 s after signal %d" % sig)
            # Either the default action or the orderly exit.
            self.assertIn(code, (-sig, 0))

    def test_ctrl_c_on_the_title_screen_ends_the_game(self):
        self.check_signal_ends_game(signal.SIGINT, playing=False)

    def test_sigterm_while_playing_ends_the_game(self):
        self.check_signal_ends_game(signal.SIGTERM, playing=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
