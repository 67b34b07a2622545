"""The installed game: `cmake --install` into a temporary prefix, then the
launcher run with a home and a data folder of its own."""
import hashlib
import os
import shutil
import stat
import subprocess
import tempfile
import unittest

from kvharness import GameRun, Xvfb, key_to_exit, keys, request_shot, wait_for

BUILD_DIR = os.environ.get("KV_BUILD_DIR", "")
GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp"))
DEFAULT_CFG = b"FULLSCREEN=0\r\nMUSIC=128\r\nSFX=128\r\nSWAPP1=0"


def snapshot(root):
    """Every entry under root: link target, or mode, and for files the
    content hash and modification time."""
    entries = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            st = os.lstat(path)
            if stat.S_ISLNK(st.st_mode):
                entries[path] = ("link", os.readlink(path))
            elif stat.S_ISDIR(st.st_mode):
                entries[path] = ("dir", st.st_mode)
            else:
                with open(path, "rb") as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
                entries[path] = ("file", st.st_mode, digest, st.st_mtime_ns)
    return entries


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class LauncherRun(GameRun):
    """A run of the installed launcher; path() names files in the player's
    folder, which the launcher makes itself."""

    def __init__(self, xvfb, folder, env):
        super().__init__(xvfb, env=env)
        self.folder = folder

    def __enter__(self):
        self.workdir = tempfile.mkdtemp(prefix="kve2e-")
        self.game = self.folder
        return self


@unittest.skipUnless(HAVE_GAME, "the game folder has no font yet")
class InstalledGameTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="kvinstall-")
        cls.prefix = os.path.join(cls.tmp, "prefix")
        subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", cls.prefix],
                       check=True, stdout=subprocess.DEVNULL)
        cls.launcher = os.path.join(cls.prefix, "games", "kelvantis")
        cls.data = os.path.realpath(os.path.join(cls.prefix, "share", "games", "kelvantis"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def scratch(self):
        return tempfile.mkdtemp(dir=self.tmp)

    def launch(self, env, argv=(), launcher=None):
        """Runs the launcher with no display to the end; its result."""
        full_env = dict(os.environ, DISPLAY="", SDL_AUDIODRIVER="dummy", ASAN_OPTIONS="detect_leaks=0")
        for name, value in env.items():
            if value is None:
                full_env.pop(name, None)
            else:
                full_env[name] = value
        return subprocess.run([launcher or self.launcher, *argv], env=full_env, cwd=self.scratch(),
                              capture_output=True, timeout=60)

    def assert_links_to_install(self, folder):
        for name in ("gfx", "data"):
            self.assertEqual(os.readlink(os.path.join(folder, name)), os.path.join(self.data, name))

    def test_play_saves_options_and_screenshot_in_the_players_folder_only(self):
        home, xdg, elsewhere = self.scratch(), self.scratch(), self.scratch()
        folder = os.path.join(xdg, "kelvantis")
        # A link left by an install in another place must be pointed here.
        os.makedirs(folder)
        os.symlink("/nonexistent/kelvantis/gfx", os.path.join(folder, "gfx"))
        before = snapshot(self.prefix)
        # The display comes only as an argument, so the game opens its window
        # only if the launcher hands its arguments on.
        env = {"HOME": home, "XDG_DATA_HOME": xdg, "DISPLAY": ""}
        with Xvfb() as x, LauncherRun(x, folder, env) as g:
            g.start(argv=[self.launcher, "-display", x.display], cwd=elsewhere)
            g.wait_window()
            keys(g, "Down", "Down", "Return",  # "Options"
                 "Up", "Return")               # "Return": save
            self.assertTrue(wait_for(lambda: read(g.path("kv.cfg")) == DEFAULT_CFG, 10), "options not saved")
            request_shot(g)
            self.assertEqual(key_to_exit(g, "Escape"), 0, g.stderr)

        self.assertEqual(read(os.path.join(folder, "kv.cfg")), DEFAULT_CFG)
        self.assertEqual(read(os.path.join(folder, "screenshot.png"))[:8], b"\x89PNG\r\n\x1a\n")
        self.assert_links_to_install(folder)
        self.assertEqual(os.listdir(elsewhere), [])
        self.assertFalse(os.path.exists(os.path.join(home, ".local", "share", "kelvantis")))
        self.assertEqual(snapshot(self.prefix), before, "the installed tree changed")

    def test_default_folder_and_the_games_exit_code(self):
        # A relative XDG_DATA_HOME is ignored; with no display the game
        # itself fails with code 1, and the launcher must pass that on.
        home = self.scratch()
        res = self.launch({"HOME": home, "XDG_DATA_HOME": "relative/share"})
        self.assertEqual(res.returncode, 1, res.stderr)
        self.assertIn(b"failed to open display", res.stderr)
        folder = os.path.join(home, ".local", "share", "kelvantis")
        self.assert_links_to_install(folder)
        # The second start finds its links in place and runs the same way.
        res = self.launch({"HOME": home, "XDG_DATA_HOME": None})
        self.assertEqual(res.returncode, 1, res.stderr)
        self.assert_links_to_install(folder)

    def test_clear_errors_and_nothing_of_the_players_removed(self):
        blocker = os.path.join(self.scratch(), "file")
        with open(blocker, "w") as f:
            f.write("not a folder")
        res = self.launch({"XDG_DATA_HOME": blocker})
        self.assertEqual(res.returncode, 1)
        self.assertIn(b"kelvantis: cannot make the folder " + blocker.encode() + b"/kelvantis", res.stderr)
        self.assertNotIn(b"failed to open display", res.stderr, "the game must not start")

        xdg = self.scratch()
        own = os.path.join(xdg, "kelvantis", "gfx")
        os.makedirs(own)
        with open(os.path.join(own, "mine.bmp"), "w") as f:
            f.write("the player's file")
        res = self.launch({"XDG_DATA_HOME": xdg})
        self.assertEqual(res.returncode, 1)
        self.assertIn(b"is in the way of the link to the game data", res.stderr)
        self.assertTrue(os.path.exists(os.path.join(own, "mine.bmp")))

        # A launcher with no installed data beside it.
        lone = os.path.join(self.scratch(), "games", "kelvantis")
        os.makedirs(os.path.dirname(lone))
        shutil.copy(self.launcher, lone)
        res = self.launch({"XDG_DATA_HOME": self.scratch()}, launcher=lone)
        self.assertEqual(res.returncode, 1)
        self.assertIn(b"kelvantis: game data not found", res.stderr)


if __name__ == "__main__":
    unittest.main()
