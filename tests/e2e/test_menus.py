"""Title and options menus driven with real key presses under Xvfb."""
import os
import time
import unittest

from kvharness import GameRun, Xvfb, key_to_exit, keys

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
FONT = os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp")


def wait_for_bytes(path, expected, timeout=10.0):
    """Polls the file until it holds expected (the game truncates it before
    writing, so a read can catch it half written); returns the last bytes read,
    None when the file never appeared."""
    deadline = time.time() + timeout
    data = None
    while time.time() < deadline:
        try:
            with open(path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            data = None
        if data == expected:
            break
        time.sleep(0.02)
    return data


@unittest.skipUnless(os.path.exists(FONT), "the game folder has no font yet, so the game cannot start")
class MenuTest(unittest.TestCase):
    def run_game(self, x, cfg=None):
        g = GameRun(x)
        g.__enter__()
        self.addCleanup(g.__exit__, None, None, None)
        cfg_path = g.path("kv.cfg")
        if os.path.exists(cfg_path):
            os.remove(cfg_path)
        if cfg is not None:
            with open(cfg_path, "wb") as f:
                f.write(cfg)
        g.start()
        g.wait_window()
        return g

    def test_escape_on_the_title_exits_with_zero(self):
        with Xvfb() as x:
            g = self.run_game(x)
            self.assertEqual(key_to_exit(g, "Escape"), 0)

    def test_exit_entry_reached_by_up_exits_with_zero(self):
        with Xvfb() as x:
            g = self.run_game(x)
            keys(g, "Up")
            self.assertIsNone(g.proc.poll(), "Up alone must not end the game")
            self.assertEqual(key_to_exit(g, "Return"), 0)

    def test_return_from_options_writes_the_defaults_when_no_file_existed(self):
        with Xvfb() as x:
            g = self.run_game(x)
            keys(g, "Down", "Down", "Return",  # "Options"
                 "Up", "Return")               # "Return": save, back on "Play"
            expected = b"FULLSCREEN=0\r\nMUSIC=128\r\nSFX=128\r\nSWAPP1=0"
            self.assertEqual(wait_for_bytes(g.path("kv.cfg"), expected), expected)
            self.assertEqual(key_to_exit(g, "Escape"), 0)
            self.assertTrue(g.stdout.startswith(b"ERROR opening file kv.cfg\n\n"), g.stdout)

    def test_volume_edits_against_a_preset_file_are_saved(self):
        with Xvfb() as x:
            g = self.run_game(x, b"FULLSCREEN=0\r\nMUSIC=5\r\nSFX=128\r\nSWAPP1=1")
            keys(g, "Down", "Down", "Return",                 # "Options" (Play Windowed)
                 "Down", "Return", "Right", "Right", "Return",  # music 5 -> 7
                 "Down", "Return", "Left", "Up", "Return",    # sfx 128 -> 127; Up ignored while editing
                 "Down", "Return", "Right", "Escape",         # swap on -> off; Esc only ends the edit
                 "Down", "Down", "Return")                    # "Return" saves
            expected = b"FULLSCREEN=0\r\nMUSIC=7\r\nSFX=127\r\nSWAPP1=0"
            self.assertEqual(wait_for_bytes(g.path("kv.cfg"), expected), expected)
            self.assertIsNone(g.proc.poll(), "Esc while editing must not end the game")
            self.assertEqual(key_to_exit(g, "Escape"), 0)
            self.assertNotIn(b"ERROR opening file", g.stdout)


if __name__ == "__main__":
    unittest.main()
