#!/usr/bin/python3
"""The game under valgrind's memcheck: start-up, one trip through the
options screen, "DEBUG BYPASS" play in which the characters act (the first
player walks, jumps and swings the sword, the second character is switched
in, flies and is switched out again), a few seconds of random keys, back to
the title and "Exit".

Passes when the game ends with code 0 and memcheck reports no error (no
invalid read or write, no use of an uninitialised value). Mesa's own reports
are suppressed by valgrind.supp beside this file, which says why each one is
there. Leaks are not checked here: the sanitizer build does that.

    tools/play/valgrind.py                 the normal build in build/
    tools/play/valgrind.py --build other   another build folder
"""
import argparse
import os
import random
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

from kvharness import GameRun, Xvfb  # noqa: E402
from kvprobe import Probe, symbol_offsets  # noqa: E402
import kvdrive  # noqa: E402
from kvdrive import PLAY_KEYS, hold_until, random_keys, wait_until  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--play-seconds", type=float, default=5.0)
    args = parser.parse_args()
    binary = os.path.join(args.build, "kelvantis")
    os.environ["KV_BINARY"] = binary
    os.environ["KV_GAME_DIR"] = os.path.join(args.build, "game")
    offsets = symbol_offsets(binary)
    # A frame under memcheck takes seconds: give each key press that long.
    kvdrive.RETRY_SECONDS = 20.0
    log = os.path.join(args.build, "valgrind.log")
    prefix = ["valgrind", "--tool=memcheck", "--error-exitcode=1", "--leak-check=no",
              "--suppressions=" + os.path.join(HERE, "valgrind.supp"), "--gen-suppressions=all",
              "--log-file=" + log]
    started = time.time()
    steps = []
    with Xvfb() as xvfb, GameRun(xvfb, prefix=prefix) as game:
        game.start()
        game.wait_window(timeout=300)
        probe = Probe(game.proc.pid, binary, offsets)
        # The title must have run a few updates before keys count.
        wait_until(probe, lambda v: v["curTime"] > 50, 300)
        steps.append("window after %.0f s" % (time.time() - started))

        def step(what, key, test):
            ok = hold_until(game, probe, key, test, 120)
            steps.append("%s %s" % (what, "done" if ok else "FAILED"))

        # Options and back through its "Return" entry.
        step("down", "Down", lambda v: v["menuItem"] == 1)
        step("down", "Down", lambda v: v["menuItem"] == 2)
        step("options", "Return", lambda v: v["menuItem"] == 5)
        step("up", "Up", lambda v: v["menuItem"] == 10)
        step("return", "Return", lambda v: v["menuItem"] == 0)
        step("down", "Down", lambda v: v["menuItem"] == 1)
        step("debug bypass", "Return", lambda v: v["GameState"] == 3)
        # The characters act, each step checked in the game's own state.
        start = probe.read()
        step("walk", "Right", lambda v: v["player.xpos"] >= start["player.xpos"] + 8)
        landed = wait_until(probe, lambda v: not v["player.inAir"], 120)
        steps.append("landed %s" % ("done" if landed else "FAILED"))
        ground = (landed or start)["player.ypos"]
        step("jump", "c", lambda v: v["player.ypos"] <= ground - 16)
        step("sword", "x", lambda v: v["player.attacking"])
        step("switch", "z", lambda v: v["altActive"])
        flown = probe.read()["altX"]
        step("fly", "Right", lambda v: v["altX"] >= flown + 4)
        step("switch back", "z", lambda v: not v["altActive"])
        random_keys(game, args.play_seconds, random.Random(1), PLAY_KEYS + ["F2"])
        step("title", "Escape", lambda v: v["GameState"] == 0)
        # "Exit": up from "DEBUG BYPASS" past "Play" to the last entry.
        step("up", "Up", lambda v: v["menuItem"] == 0)
        step("up", "Up", lambda v: v["menuItem"] == 4)
        game.xdotool("keydown", "Return")
        try:
            code = game.wait_exit(timeout=300)
        finally:
            game.xdotool("keyup", "Return", check=False)
        probe.close()
    with open(log) as f:
        text = f.read()
    summary = [line.split("== ", 1)[-1] for line in text.splitlines() if "ERROR SUMMARY" in line]
    print("valgrind: %s; exit code %d; %s; %.0f s (log %s)" % (
        ", ".join(steps), code, summary[-1] if summary else "no summary", time.time() - started, log))
    return 0 if code == 0 and all("FAILED" not in s for s in steps) else 1


if __name__ == "__main__":
    sys.exit(main())
