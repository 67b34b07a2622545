"""The first player in the real game under Xvfb: walking, the scroll of the
view and a death in a pit, read from the position line that debug runs print
for every tick of the first player.

The game folder gets a level of the test's own: flat ground 40 columns wide
with a two-column pit at columns 30 and 31."""
import os
import re
import time
import unittest

from kvharness import GameRun, Xvfb, key_to_exit, keys, wait_for

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
LINE = re.compile(rb"xpos: (-?\d+), spritexpos: (-?\d+), leftCoord: (-?\d+) (-?\d+)\n")


def pit_level():
    rows = []
    for r in range(15):
        cells = []
        for c in range(40):
            solid = r == 14 and not 30 <= c <= 31
            cells.append("1 0" if solid else "0 0")
        rows.append(" ".join(cells))
    return "WIDTH: 40\nHEIGHT: 15\nTILESET: sands\n" + "\n".join(rows) + "\n"


def position_lines(game):
    with open(os.path.join(game.workdir, "stdout"), "rb") as f:
        return [tuple(int(v) for v in m.groups()) for m in LINE.finditer(f.read())]


@unittest.skipUnless(os.path.exists(os.path.join(GAME_DIR, "gfx")), "no game folder")
class FirstPlayerTest(unittest.TestCase):
    def test_walking_scrolls_past_the_middle_and_a_pit_costs_a_life_and_3_8_seconds(self):
        with Xvfb() as x, GameRun(x) as g:
            with open(g.path("data/maps/maplvl1.map"), "w") as f:
                f.write(pit_level())
            g.start()
            g.wait_window()
            keys(g, "Down", "Return")  # "DEBUG BYPASS": a position line every tick
            g.xdotool("keydown", "l")
            # Walk until the lines stop: the player has fallen into the pit.
            last = [0, time.time()]

            def stopped():
                lines = position_lines(g)
                if len(lines) != last[0]:
                    last[0], last[1] = len(lines), time.time()
                # Over the pit (x 960 on) and quiet: fallen, not just a slow frame.
                return lines and lines[-1][0] >= 960 and time.time() - last[1] > 0.5

            self.assertTrue(wait_for(stopped, 60.0), "the lines never stopped")
            fell_at = last[1]
            g.xdotool("keyup", "l")
            walk = position_lines(g)

            # Standing at the start, then 2 px a tick, the sprite with it...
            xs = [line[0] for line in walk]
            first = xs.index(66)
            self.assertTrue(all(v == 64 for v in xs[:first]))
            before_middle = [l for l in walk[first:] if l[0] + 15 <= 319]
            self.assertGreater(len(before_middle), 100)
            for a, b in zip(before_middle, before_middle[1:]):
                self.assertEqual((b[0] - a[0], b[1], b[2]), (2, b[0], 0))
            # ...then past the middle the level moves under a still sprite...
            scrolling = [l for l in walk if 0 < l[2] < 640]
            self.assertGreater(len(scrolling), 300)
            for a, b in zip(scrolling, scrolling[1:]):
                # The sprite stays where it was at x 304, the last step before
                # the centre (x + 15) passed 319.
                self.assertEqual((b[0] - a[0], b[2] - a[2], b[1]), (2, 2, 304))
            self.assertTrue(all(l[3] == 640 for l in walk))
            # ...and at the right end the view stops and the sprite walks on.
            self.assertEqual(walk[-1][2], 640)
            self.assertGreaterEqual(walk[-1][0], 960)
            self.assertGreater(walk[-1][1], 304)

            # The respawn, 3820 ms after the death: at x 150 with the view back at 0.
            back = wait_for(lambda: position_lines(g)[len(walk):], 15.0)
            self.assertTrue(back, "the first player never came back")
            gap = time.time() - fell_at
            self.assertEqual(back[0], (150, 150, 0, 640))
            # The lines were seen to stop up to a poll after the death; the
            # respawn timer runs in real milliseconds (a loaded machine may
            # deliver it a little late, never early).
            self.assertGreater(gap, 3.5)
            self.assertLess(gap, 6.0)

            keys(g, "Escape")
            self.assertEqual(key_to_exit(g, "Escape"), 0)


if __name__ == "__main__":
    unittest.main()
