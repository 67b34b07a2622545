"""Title and options menus driven with real key presses under Xvfb."""
import os
import time
import unittest

from kvharness import GameRun, Xvfb

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
FONT = os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp")


# Keys are held until the game has provably run an update with them down,
# never for a guessed time: frame pacing under Xvfb is not reliable. The proof
# is F2: its screenshot request survives however late the frame comes, and a
# second shot asked for after the first one appeared is drawn from an update
# that ran after every key event sent before it.
def wait_for(predicate, timeout=20.0):
    """Polls predicate until it returns something true; returns that or None."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.02)
    return None


def request_shot(game):
    """Presses F2 and waits for the screenshot of the next drawn frame.

    With key repeat ignored, freeglut takes a release that it handles while
    the same key is down again for an auto-repeat and drops it together with
    the next press; an F2 sent too soon after the last one can vanish that
    way, so an unanswered press is released and sent again."""
    path = game.path("screenshot.png")
    if os.path.exists(path):
        os.remove(path)
    deadline = time.time() + 20.0
    while True:
        game.xdotool("keydown", "F2")
        wait_for(lambda: os.path.exists(path) or game.proc.poll() is not None, 2.0)
        game.xdotool("keyup", "F2", check=False)
        if game.proc.poll() is not None:
            raise AssertionError("the game ended with code %d" % game.proc.returncode)
        if os.path.exists(path):
            return
        if time.time() > deadline:
            raise AssertionError("the game drew no frame within 20 s")
        time.sleep(0.1)


def sync_frames(game, count=2):
    for _ in range(count):
        request_shot(game)


def keys(game, *names):
    """Presses each key, holds it until an update has seen it, releases it and
    waits until the release has been handled (see request_shot)."""
    for name in names:
        game.xdotool("keydown", name)
        sync_frames(game, 2)
        game.xdotool("keyup", name)
        sync_frames(game, 1)


def key_to_exit(game, name):
    """Holds a key that ends the game until the process has gone; its exit code."""
    game.xdotool("keydown", name)
    try:
        return game.wait_exit()
    finally:
        game.xdotool("keyup", name, check=False)


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
