"""Letters pressed or released with a modifier held, in the real game under
Xvfb. GLUT hands a letter released with Shift held over in upper case, one
typed with Ctrl held as a control code, and Caps Lock turns presses into upper
case: the first player must still walk while its key is down and stop when it
comes up, whatever else is held. Positions come from the line debug runs print
for every tick of the first player.

The game folder gets a flat level of the test's own, 40 columns wide, with no
robots and no pit."""
import os
import re
import time
import unittest

from kvharness import GameRun, Xvfb, key_to_exit, keys, sync_frames, wait_for

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
LINE = re.compile(rb"xpos: (-?\d+), spritexpos: (-?\d+), leftCoord: (-?\d+) (-?\d+)\n")
# Modifiers as xdotool names them; "super" is the key Linux keyboards call Meta.
MODIFIERS = ("shift", "ctrl", "alt", "super")


def flat_level():
    rows = []
    for r in range(15):
        rows.append(" ".join("1 0" if r == 14 else "0 0" for _ in range(40)))
    return "WIDTH: 40\nHEIGHT: 15\nTILESET: sands\n" + "\n".join(rows) + "\n"


def positions(game):
    with open(os.path.join(game.workdir, "stdout"), "rb") as f:
        return [int(m[0]) for m in LINE.findall(f.read())]


def last_x(game):
    found = positions(game)
    return found[-1] if found else None


@unittest.skipUnless(os.path.exists(os.path.join(GAME_DIR, "gfx")), "no game folder")
class ModifierKeysTest(unittest.TestCase):
    def assertWalks(self, g, key, what):
        """The first player moves at least 6 px the way key leads."""
        start = last_x(g)
        step = 1 if key == "l" else -1
        moved = wait_for(lambda: (last_x(g) - start) * step >= 6, 10.0)
        self.assertTrue(moved, "%s: the player did not walk (x %d)" % (what, start))

    def assertStands(self, g, what):
        """Once every key event sent so far has been handled, the player takes
        no walking step (2 px a tick) over several more frames and about half
        a second. A level without robots still has bullets: every empty robot
        slot fires from the top-left corner, and a hit knocks the player back
        at 1 px a tick, which is no walking and no fault of the keys."""
        sync_frames(g, 2)
        start = len(positions(g))
        time.sleep(0.5)
        sync_frames(g, 2)
        xs = positions(g)[start - 1:]
        steps = [b - a for a, b in zip(xs, xs[1:])]
        self.assertFalse(any(abs(d) >= 2 for d in steps),
                         "%s: the player walks on (x %d to %d)" % (what, xs[0], xs[-1]))

    def test_a_letter_acts_as_itself_whatever_modifier_is_held(self):
        with Xvfb() as x, GameRun(x) as g:
            with open(g.path("data/maps/maplvl1.map"), "w") as f:
                f.write(flat_level())
            g.start()
            g.wait_window()
            keys(g, "Down", "Return")  # "DEBUG BYPASS": a position line every tick
            self.assertTrue(wait_for(lambda: last_x(g) is not None, 10.0), "no position lines")

            for mod in MODIFIERS:
                # Ctrl+j is 10, the code of Enter: the left key shows it best.
                # The two routes walk opposite ways, so that the player stays
                # on the 40-column level however long a loaded machine takes.
                key, back = ("j", "l") if mod == "ctrl" else ("l", "j")
                what = "%s held, %s released with %s" % (key, key, mod)
                g.xdotool("keydown", key)
                self.assertWalks(g, key, what)
                g.xdotool("keydown", mod)
                g.xdotool("keyup", key)
                g.xdotool("keyup", mod)
                self.assertStands(g, what)

                key = back
                what = "%s pressed and released with %s held" % (key, mod)
                g.xdotool("keydown", mod)
                g.xdotool("keydown", key)
                try:
                    self.assertWalks(g, key, what)
                finally:
                    g.xdotool("keyup", key)
                    g.xdotool("keyup", mod)
                self.assertStands(g, what)

            g.xdotool("key", "Caps_Lock")  # lock on: the press comes as 'L'
            try:
                g.xdotool("keydown", "l")
                try:
                    self.assertWalks(g, "l", "l with Caps Lock on")
                finally:
                    g.xdotool("keyup", "l")
                self.assertStands(g, "l with Caps Lock on")
            finally:
                g.xdotool("key", "Caps_Lock")

            keys(g, "Escape")
            self.assertEqual(key_to_exit(g, "Escape"), 0)


if __name__ == "__main__":
    unittest.main()
