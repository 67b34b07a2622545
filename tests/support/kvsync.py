"""The real game on a simulated display that syncs each swap to its refresh
(the preloaded library syncedDisplay.c), and its frames drawn per second
measured side by side with other such runs. Used by the display-sync test
and the performance suite.

Environment: KV_SYNCED_DISPLAY names the built library (set by CTest)."""
import os
import signal
import struct
import time

from kvharness import GameRun, Xvfb, sanitized, sanitizer_env

# The library's counters, in its order (syncedDisplay.c).
FIELDS = ("swaps", "extCalls", "extLast", "mesaCalls", "mesaLast", "sgiCalls", "sgiLast", "interval",
          "lastSwapNs")


class SyncedRun(GameRun):
    """A game run on a simulated display of hz refreshes a second (0: never
    waits). extensions replaces the swap-control words the display adds to
    the GLX extension string; ignore makes it take no notice of a requested
    interval, as the game found it before it asked for one."""

    def __init__(self, xvfb, hz, extensions=None, ignore=False, library=None):
        self.library = library or os.environ["KV_SYNCED_DISPLAY"]
        self.report_path = None
        env = {"KV_SYNC_HZ": str(hz)}
        if extensions is not None:
            env["KV_SYNC_EXTENSIONS"] = extensions
        if ignore:
            env["KV_SYNC_IGNORE_INTERVAL"] = "1"
        super().__init__(xvfb, env=env)

    def start(self, argv=None, cwd=None):
        self.report_path = os.path.join(self.workdir, "sync-report")
        preload = self.library
        if sanitized(self.binary) and "LD_PRELOAD" in sanitizer_env():
            preload = sanitizer_env()["LD_PRELOAD"] + " " + self.library
        self.extra_env.update(KV_SYNC_REPORT=self.report_path, LD_PRELOAD=preload)
        super().start(argv, cwd)

    def report(self):
        """The library's counters as a dict, or None before it has started."""
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

    def last_swap(self):
        """Frames drawn so far and the time of the latest, in seconds."""
        report = self.report()
        return report["swaps"], report["lastSwapNs"] / 1e9

    def stderr_now(self):
        with open(os.path.join(self.workdir, "stderr"), "rb") as f:
            return f.read()


class SyncedGames:
    """Several synced runs side by side, each on its own Xvfb (so that key
    presses and window searches never meet another game).

    with SyncedGames({"a": (60, {}), "b": (0, {})}) as games: games["a"]..."""

    def __init__(self, specs):
        self.specs = specs
        self.games = {}
        self.servers = []

    def __enter__(self):
        try:
            for key, (hz, options) in self.specs.items():
                xvfb = Xvfb().__enter__()
                self.servers.append(xvfb)
                game = SyncedRun(xvfb, hz, **options).__enter__()
                self.games[key] = game
                game.start()
            for game in self.games.values():
                game.wait_window()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self.games

    def __exit__(self, *exc):
        for game in self.games.values():
            if game.proc and game.proc.poll() is None:
                game.proc.send_signal(signal.SIGCONT)
        for game in self.games.values():
            game.__exit__(None, None, None)
        for xvfb in self.servers:
            xvfb.__exit__(None, None, None)
        return False


def stop(games):
    for game in games.values():
        game.proc.send_signal(signal.SIGSTOP)


def wait_swaps(game, count, timeout=20.0):
    """Waits until the game has drawn count frames in all."""
    deadline = time.monotonic() + timeout
    while game.swaps() < count:
        if time.monotonic() > deadline or game.proc.poll() is not None:
            raise RuntimeError("a game stopped drawing frames")
        time.sleep(0.002)


class FrameRates:
    """Frames drawn per second by each game in each round of frame_rates."""

    def __init__(self, keys):
        self.frames = {key: [] for key in keys}
        self.seconds = {key: [] for key in keys}

    def overall(self, key):
        return sum(self.frames[key]) / sum(self.seconds[key])

    def upper_quartile(self, key):
        """key's frame rate in its better windows: the upper quartile of its
        windows' rates. Load from elsewhere on the machine only ever lowers a
        window's rate, so this is the game's own pace as near as the machine
        lets it show, while a display that holds each frame to its refresh
        caps every window's rate."""
        rates = sorted(f / s for f, s in zip(self.frames[key], self.seconds[key]))
        position = 0.75 * (len(rates) - 1)
        low = int(position)
        high = min(low + 1, len(rates) - 1)
        return rates[low] + (rates[high] - rates[low]) * (position - low)


def frame_rates(games, rounds, window):
    """Frames drawn per second by each of the stopped games (a dict key ->
    SyncedRun): each is resumed in turn, measured for about window seconds
    and stopped again, rounds times, so that a change in the machine's load
    meets every game alike. A window runs from one drawn frame to another,
    so it holds whole frames. The games are left stopped."""
    rates = FrameRates(games)
    order = list(games)
    for _ in range(rounds):
        for key in order:
            game = games[key]
            resumed = game.swaps()
            game.proc.send_signal(signal.SIGCONT)
            # The window starts at a frame drawn after the one of the tick
            # that fell due while the game was stopped.
            wait_swaps(game, resumed + 2)
            first, start = game.last_swap()
            time.sleep(window)
            wait_swaps(game, first + 1)  # ends at a frame after the first
            last, end = game.last_swap()
            game.proc.send_signal(signal.SIGSTOP)
            rates.frames[key].append(last - first)
            rates.seconds[key].append(end - start)
        order.append(order.pop(0))  # nobody always goes first
    return rates
