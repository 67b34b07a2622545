#!/usr/bin/env python3
"""Plays the real game under a private Xvfb and saves its own F2 screenshots
of the title, the story, play with each character, a sword kill and the game
over, for the README and for reviewing the art.

usage: /usr/bin/python3 tools/shots/takeShots.py BUILD_DIR OUTPUT_DIR

The game runs in a temporary copy of BUILD_DIR/game. Play in "DEBUG BYPASS"
is steered by the position line a debug run prints every tick (the first
player's left edge), so the route does not depend on how fast frames come.
Not run by the build or the tests."""
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from kvharness import GameRun, Xvfb, keys, request_shot, wait_for  # noqa: E402

LINE = re.compile(rb"xpos: (-?\d+), spritexpos")


class Player:
    def __init__(self, game, out):
        self.g = game
        self.out = out

    def shot(self, name):
        request_shot(self.g)
        shutil.copy(self.g.path("screenshot.png"), os.path.join(self.out, name + ".png"))
        print("saved", name)

    def xpos(self):
        with open(os.path.join(self.g.workdir, "stdout"), "rb") as f:
            found = LINE.findall(f.read())
        return int(found[-1]) if found else None

    def down(self, key):
        self.g.xdotool("keydown", key)

    def up(self, key):
        self.g.xdotool("keyup", key)

    def walk_to(self, x, timeout=60):
        self.down("l")
        ok = wait_for(lambda: (self.xpos() or 0) >= x, timeout)
        self.up("l")
        if not ok:
            raise RuntimeError("never reached x %d (at %s)" % (x, self.xpos()))

    def pulse(self, key):
        """A tap: debug runs tick every millisecond, so a press and release
        sent a few ms apart moves the player a few pixels."""
        self.g.xdotool("key", "--delay", "8", key)
        time.sleep(0.05)

    def settle_facing_right(self, lo, hi):
        """Taps left and right until lo <= x <= hi, the last tap to the right."""
        for _ in range(200):
            x = self.xpos()
            if x > hi - 4:
                self.pulse("j")
            elif x < lo:
                self.pulse("l")
            else:
                self.pulse("l")  # face right; a tap moves it at most a few px
                if lo <= self.xpos() <= hi:
                    return
        raise RuntimeError("could not stand between %d and %d" % (lo, hi))

    def jump_from(self, x):
        """Walks to x, then jumps right holding the button through the jump."""
        self.walk_to(x)
        self.down("l")
        self.down("c")
        self.wait_game_ms(50)  # a full jump takes about 50 ticks
        self.up("c")
        self.up("l")

    def wait_game_ms(self, ms):
        """Waits until about ms of debug-run game time (one ms a tick) passed."""
        with open(os.path.join(self.g.workdir, "stdout"), "rb") as f:
            start = len(LINE.findall(f.read()))

        def passed():
            with open(os.path.join(self.g.workdir, "stdout"), "rb") as f:
                return len(LINE.findall(f.read())) - start >= ms
        wait_for(passed, 120)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    os.environ.setdefault("KV_GAME_DIR", os.path.join(build, "game"))
    os.environ.setdefault("KV_BINARY", os.path.join(build, "kelvantis"))
    with Xvfb() as x:
        # A normal run: the title, the story, play as both characters.
        with GameRun(x) as g:
            p = Player(g, out)
            g.start()
            g.wait_window()
            p.shot("title")
            keys(g, "Return")           # "Play": the story
            time.sleep(4.0)             # past its first two seconds
            p.shot("story")
            keys(g, "Return")           # into the level
            g.xdotool("keydown", "l")
            time.sleep(2.5)
            g.xdotool("keyup", "l")
            p.shot("play")
            keys(g, "z")                # the second character: the scene darkens
            g.xdotool("keydown", "i")
            time.sleep(1.0)
            g.xdotool("keyup", "i")
            g.xdotool("keydown", "l")
            time.sleep(1.5)
            g.xdotool("keyup", "l")
            p.shot("second")
            g.kill()
        # A debug run steered by position: a sword kill, then three falls into
        # the pit behind the hill for the game over.
        with GameRun(x) as g:
            p = Player(g, out)
            g.start()
            g.wait_window()
            keys(g, "Down", "Return")   # "DEBUG BYPASS"
            p.jump_from(470)            # the block in the camp
            p.jump_from(900)            # the dune steps
            p.jump_from(1080)
            p.settle_facing_right(1193, 1217)  # the sword reaches the robot in column 39, the body clear
            p.wait_game_ms(1500)        # no strike in the first 1500 ms of play
            for _ in range(3):
                keys(g, "x")
                p.wait_game_ms(1050)
            p.shot("kill")
            for life in range(3):
                p.walk_to(1340)         # into the pit
                time.sleep(5.0)         # the respawn comes 3820 ms after a death
                if life < 2:
                    p.jump_from(470)
                    p.jump_from(900)
                    p.jump_from(1080)
            time.sleep(1.5)
            p.shot("gameover")
            g.kill()


if __name__ == "__main__":
    main()
