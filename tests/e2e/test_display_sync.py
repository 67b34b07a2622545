"""The game's pace on a display that syncs each buffer swap to its refresh.

Most desktop drivers make glXSwapBuffers wait for the display's next
refresh unless the program asks for swap interval 0. The game draws one
frame per 11 ms tick and moves once per drawn frame, so on a synced 60 Hz
display it would run at about 70 % of its speed. The preloaded library
tests/support/syncedDisplay.c turns Xvfb's never-waiting llvmpipe into such
a display (and counts the frames drawn); the game must draw as many frames
a second on it as on a display that never waits, on the title and in play.

The games run side by side, one Xvfb each, and are measured in turn for
half a second at a time while the others are stopped, over several rounds:
a change in the machine's load meets every rate alike. A machine so busy
that even the never-waiting game cannot keep near its pace of about 87
frames a second cannot show whether a display slows the game: such a
measurement is taken again, and skipped when it never gets there."""
import os
import signal
import struct
import sys
import time
import unittest

from kvharness import GameRun, Xvfb, sanitized, sanitizer_env, wait_for

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "play"))
import kvprobe  # noqa: E402
from kvdrive import hold_until  # noqa: E402

LIBRARY = os.environ.get("KV_SYNCED_DISPLAY", "")
GAME_DIR = os.environ.get("KV_GAME_DIR", "")
# Refresh rates side by side; 0 is a display that never waits.
RATES = (0, 60, 144)
ROUNDS, WINDOW, SETTLE = 8, 0.5, 0.1
# Below this the never-waiting game has lost its pace to the machine's load.
BASELINE_FLOOR = 75.0
ATTEMPTS = 3
MESSAGE = b"kelvantis: no GLX_EXT_swap_control or GLX_MESA_swap_control"
# The library's counters (syncedDisplay.c).
FIELDS = ("swaps", "extCalls", "extLast", "mesaCalls", "mesaLast", "sgiCalls", "sgiLast", "interval")


class SyncedRun(GameRun):
    """A game run on a simulated display of hz refreshes a second."""

    def __init__(self, xvfb, hz, extensions=None):
        self.report_path = None
        env = {"KV_SYNC_HZ": str(hz)}
        if extensions is not None:
            env["KV_SYNC_EXTENSIONS"] = extensions
        super().__init__(xvfb, env=env)

    def start(self, argv=None, cwd=None):
        self.report_path = os.path.join(self.workdir, "sync-report")
        preload = LIBRARY
        if sanitized(self.binary) and "LD_PRELOAD" in sanitizer_env():
            preload = sanitizer_env()["LD_PRELOAD"] + " " + LIBRARY
        self.extra_env.update(KV_SYNC_REPORT=self.report_path, LD_PRELOAD=preload)
        super().start(argv, cwd)

    def report(self):
        try:
            with open(self.report_path, "rb") as f:
                data = f.read(8 * len(FIELDS))
        except OSError:
            return None
        if len(data) < 8 * len(FIELDS):
            return None
        return dict(zip(FIELDS, struct.unpack("<%dq" % len(FIELDS), data)))

    def swaps(self):
        return self.report()["swaps"]

    def stderr_now(self):
        with open(os.path.join(self.workdir, "stderr"), "rb") as f:
            return f.read()


def frame_rates(games):
    """Frames drawn per second by each game (a dict hz -> run), each measured
    WINDOW seconds at a time in turn, ROUNDS times, the others stopped."""
    frames = dict.fromkeys(games, 0)
    seconds = dict.fromkeys(games, 0.0)
    order = list(games)
    for _ in range(ROUNDS):
        for hz in order:
            game = games[hz]
            game.proc.send_signal(signal.SIGCONT)
            time.sleep(SETTLE)
            first, start = game.swaps(), time.monotonic()
            time.sleep(WINDOW)
            last, end = game.swaps(), time.monotonic()
            game.proc.send_signal(signal.SIGSTOP)
            frames[hz] += last - first
            seconds[hz] += end - start
        order.append(order.pop(0))  # nobody always goes first
    return {hz: frames[hz] / seconds[hz] for hz in games}


def resume(games):
    for game in games.values():
        if game.proc and game.proc.poll() is None:
            game.proc.send_signal(signal.SIGCONT)


@unittest.skipUnless(os.path.exists(os.path.join(GAME_DIR, "gfx")), "no game folder")
@unittest.skipUnless(os.path.exists(LIBRARY), "no synced display library (KV_SYNCED_DISPLAY)")
class DisplaySyncTest(unittest.TestCase):
    def start_games(self, stack_games, xvfbs, specs):
        for key, hz, extensions in specs:
            xvfb = Xvfb().__enter__()
            xvfbs.append(xvfb)
            game = SyncedRun(xvfb, hz, extensions).__enter__()
            stack_games[key] = game
            game.start()
        for game in stack_games.values():
            game.wait_window()

    def close(self, games, xvfbs):
        resume(games)
        for game in games.values():
            game.__exit__(None, None, None)
        for xvfb in xvfbs:
            xvfb.__exit__(None, None, None)

    def measure(self, games, name):
        for _ in range(ATTEMPTS):
            rates = frame_rates(games)
            if rates[0] >= BASELINE_FLOOR:
                return rates
            print("%s: the never-waiting game drew only %.1f frames/s (load average %.1f): again"
                  % (name, rates[0], os.getloadavg()[0]))
        self.skipTest("the machine is too busy to hold the game's pace (%s: %.1f frames/s)" % (name, rates[0]))

    def test_synced_displays_draw_as_many_frames_as_one_that_never_waits(self):
        games, xvfbs = {}, []
        try:
            self.start_games(games, xvfbs, [(hz, hz, None) for hz in RATES])
            for hz, game in games.items():
                # Interval 0 asked for once, through the first extension.
                self.assertEqual({k: game.report()[k] for k in FIELDS[1:]},
                                 {"extCalls": 1, "extLast": 0, "mesaCalls": 0, "mesaLast": 0,
                                  "sgiCalls": 0, "sgiLast": 0, "interval": 0}, hz)
                self.assertNotIn(MESSAGE, game.stderr_now())
            for game in games.values():
                game.proc.send_signal(signal.SIGSTOP)
            title = self.measure(games, "title")

            for hz, game in games.items():
                game.proc.send_signal(signal.SIGCONT)
                probe = kvprobe.Probe(game.proc.pid, game.binary)
                self.assertTrue(hold_until(game, probe, "Return", lambda v: v["GameState"] == 1), hz)  # the story
                self.assertTrue(hold_until(game, probe, "Return", lambda v: v["GameState"] == 3), hz)  # play
                probe.close()
                game.proc.send_signal(signal.SIGSTOP)
            play = self.measure(games, "play")
        finally:
            self.close(games, xvfbs)

        for name, rates in (("title", title), ("play", play)):
            print("%s: %s frames/s" % (name, ", ".join(
                "%s %.1f" % ("%d Hz" % hz if hz else "never waiting", rates[hz]) for hz in RATES)))
        for name, rates in (("title", title), ("play", play)):
            for hz in RATES[1:]:
                self.assertGreaterEqual(rates[hz], 0.95 * rates[0], "%s at %d Hz: %.1f frames/s against %.1f"
                                        % (name, hz, rates[hz], rates[0]))

    def test_the_mesa_extension_serves_when_alone_and_neither_is_said_once(self):
        games, xvfbs = {}, []
        try:
            # A driver with only the MESA extension, and one with neither: the
            # SGI one cannot give 0, and "_tear" is another extension's name,
            # though the library still hands out every function's pointer.
            self.start_games(games, xvfbs, [("mesa", 60, "GLX_MESA_swap_control"),
                                            ("neither", 60, "GLX_SGI_swap_control GLX_EXT_swap_control_tear")])
            for game in games.values():
                self.assertTrue(wait_for(lambda: game.swaps() >= 10, 20.0), "no frames drawn")
            mesa, neither = games["mesa"].report(), games["neither"].report()
            self.assertEqual((mesa["mesaCalls"], mesa["mesaLast"], mesa["extCalls"], mesa["interval"]), (1, 0, 0, 0))
            self.assertNotIn(MESSAGE, games["mesa"].stderr_now())
            self.assertEqual((neither["extCalls"], neither["mesaCalls"], neither["interval"]), (0, 0, 1))
            self.assertEqual(games["neither"].stderr_now().count(MESSAGE + b":"), 1)
        finally:
            self.close(games, xvfbs)


if __name__ == "__main__":
    unittest.main()
