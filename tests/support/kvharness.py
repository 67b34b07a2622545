"""End-to-end harness: a private Xvfb, the real game binary in a temporary
copy of the game folder, keys sent with xdotool, and everything the run left
behind (stdout, stderr, exit code, files).

Environment (set by CTest): KV_BINARY, KV_GAME_DIR.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest


SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
# Mesa's software driver, preloaded in sanitizer runs (see sanitizer_env).
DRI_DRIVER = "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"
_sanitized = {}


def sanitized(binary):
    """True when the binary is an AddressSanitizer build."""
    if binary not in _sanitized:
        with open(binary, "rb") as f:
            _sanitized[binary] = b"libasan.so" in f.read()
    return _sanitized[binary]


def sanitizer_env():
    """Environment for a run of a sanitizer build: every report ends the run
    with a non-zero code, and leaks are checked at exit except those of the
    libraries listed in lsan.supp. Mesa unloads its driver before the leak
    check runs, which leaves the driver's blocks without a name to suppress
    them by; preloading it keeps it mapped until the end."""
    env = {"ASAN_OPTIONS": "detect_leaks=1:abort_on_error=0:verify_asan_link_order=0",
           "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
           "LSAN_OPTIONS": "print_suppressions=0:suppressions=" + SUPPRESSIONS}
    if os.path.exists(DRI_DRIVER):
        env["LD_PRELOAD"] = DRI_DRIVER
    return env


class Xvfb:
    """A private X server on a display number it picks itself (-displayfd)."""

    def __init__(self, screen="1024x768x24"):
        self.screen = screen
        self.proc = None
        self.display = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        data = b""
        deadline = time.time() + 30
        with os.fdopen(read_fd, "rb") as pipe:
            while not data.endswith(b"\n") and time.time() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                data += chunk
        if not data.strip():
            self.proc.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + data.decode().strip()
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        return False


class XvfbTestCase(unittest.TestCase):
    """Test case whose tests share one private X server, self.xvfb."""

    screen = "1024x768x24"

    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb(cls.screen).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.__exit__(None, None, None)


class GameRun:
    """One run of the game in a fresh copy of the game folder.

    with Xvfb() as x, GameRun(x) as g:
        g.start(); g.wait_window(); g.hold("Escape"); g.wait_exit()
    """

    TITLE = "KelVantis Demo -- by Orvelle"

    def __init__(self, xvfb, game_dir=None, env=None, keep_cfg=False, prefix=()):
        self.xvfb = xvfb
        self.prefix = list(prefix)  # command the game runs under (valgrind, setpriv...)
        self.src_game = game_dir or os.environ["KV_GAME_DIR"]
        self.binary = os.environ["KV_BINARY"]
        self.extra_env = env or {}
        self.proc = None
        self.workdir = None
        self.window = None
        self.returncode = None
        self.stdout = b""
        self.stderr = b""

    def __enter__(self):
        self.workdir = tempfile.mkdtemp(prefix="kve2e-")
        self.game = os.path.join(self.workdir, "game")
        shutil.copytree(self.src_game, self.game)
        return self

    def __exit__(self, *exc):
        self.kill()
        shutil.rmtree(self.workdir, ignore_errors=True)
        return False

    def path(self, name):
        return os.path.join(self.game, name)

    def start(self, argv=None, cwd=None):
        """Starts the game binary in the copied game folder (or argv in cwd)."""
        env = dict(os.environ)
        env["DISPLAY"] = self.xvfb.display
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        if sanitized(self.binary):
            env.update(sanitizer_env())
        env.update(self.extra_env)
        self._out = open(os.path.join(self.workdir, "stdout"), "wb")
        self._err = open(os.path.join(self.workdir, "stderr"), "wb")
        self.proc = subprocess.Popen(argv or self.prefix + [self.binary], cwd=cwd or self.game, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err)

    def xdotool(self, *args, check=True):
        env = dict(os.environ)
        env["DISPLAY"] = self.xvfb.display
        res = subprocess.run(["xdotool", *args], env=env, capture_output=True, timeout=60)
        if check and res.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (args, res.stderr.decode()))
        return res.stdout.decode()

    def wait_window(self, timeout=30):
        """Waits for the game window, focuses it and returns its id."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("game exited with %d before its window showed" % self.proc.returncode)
            out = self.xdotool("search", "--name", "^" + self.TITLE + "$", check=False).split()
            if out:
                self.window = out[0]
                self.xdotool("windowfocus", "--sync", self.window, check=False)
                time.sleep(0.3)  # a few frames so the first updates have run
                return self.window
            time.sleep(0.1)
        raise RuntimeError("game window did not appear")

    def hold(self, key, seconds=0.1):
        """Presses a key, keeps it down for several ticks, releases it.

        A plain `xdotool key` can land press and release between two ticks,
        so the game would never see the key down."""
        self.xdotool("keydown", key)
        time.sleep(seconds)
        self.xdotool("keyup", key)
        time.sleep(0.1)

    def window_geometry(self):
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        return dict(line.split("=", 1) for line in out.split())

    def wait_exit(self, timeout=20):
        try:
            self.returncode = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise RuntimeError("game did not exit within %s s" % timeout)
        self._collect()
        return self.returncode

    def kill(self):
        """Stops a game that is still running with SIGTERM, as a user's kill
        would; SIGKILL only if that has not ended it within 5 s."""
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.send_signal(signal.SIGKILL)
                self.proc.wait()
            self._collect()

    def _collect(self):
        if self.proc is None or self._out.closed:
            return
        self.returncode = self.proc.returncode
        self._out.close()
        self._err.close()
        with open(os.path.join(self.workdir, "stdout"), "rb") as f:
            self.stdout = f.read()
        with open(os.path.join(self.workdir, "stderr"), "rb") as f:
            self.stderr = f.read()


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
