#!/usr/bin/python3
"""Soak: plays the game for a set time with random keys and checks it never
breaks.

The game (by default the sanitizer build) runs in a fresh copy of its folder
under a private X server. From the title the soak goes into play, mostly by
"DEBUG BYPASS", sometimes by "Play" (the story, skipped with Enter), then
presses and releases random bound keys, F1 and F2 for a while; now and then
it goes back to the title (a menu trip), sometimes through the options
screen, whose "Return" saves the settings. Deaths, respawns and game overs
happen as the play brings them; after a game over the game returns to the
title by itself and the soak starts again.

Keys pressed evenly at random keep the first player near the start, where
nothing can kill it, so each spell of play has a random style: "wander"
(every key alike), "run" (mostly right, jump and sword, as a player heading
for the robots and pits), or "fly" (the second character, switched in and
steered mostly right and down, towards the robots, for long enough that its
countdown may run out). Every choice comes from the seeded generator.

What happened is read from the game's own variables while it runs
(kvprobe): ticks from the game clock, deaths as entries into the dying
state (split by the character that died), respawns as returns from it,
game overs as entries into the game-over state, character switches, sword
kills (the 3 s each adds to the countdown) and how far right the first
player got.
At the end the soak leaves with Esc, Esc and expects exit code 0.

A finding is: the game ending by itself, a crash, a sanitizer report, the
clock standing still for 15 s (a hang), or memory growing past --max-mb.

    tools/play/soak.py --seconds 600
    tools/play/soak.py --seconds 60 --seed 7     (what CI runs, seed varies)
"""
import argparse
import os
import random
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

from kvharness import GameRun, Xvfb  # noqa: E402
from kvprobe import Probe, peak_rss_kb, sanitizer_report, symbol_offsets  # noqa: E402
from kvdrive import (PLAY_KEYS, back_to_title, enter_debug_play, exit_from_title,  # noqa: E402
                     hold_until, random_keys, tap, wait_until, walk_menu)

CLOCK_STEP = 11.7647  # ms of game time per tick outside debug runs

# Styles of a spell of play: (name, weight, keys held throughout, random
# keys, their weights, seconds). With the right arrow held, "l" is left out:
# its release would clear the held direction.
RUN_KEYS = ["c", "x", "Left", "j", "i", "k", "z", "F1", "F2", "Return"]
RUN_WEIGHTS = [5, 4, 0.5, 0.5, 1, 1, 0.3, 0.3, 0.3, 0.3]
FLY_KEYS = ["k", "Down", "i", "Up", "j", "x", "c", "F1", "F2"]
FLY_WEIGHTS = [3, 3, 1.5, 1.5, 0.5, 0.5, 0.5, 0.3, 0.3]
STYLES = [("wander", 1, (), PLAY_KEYS + ["F2", "Return"], None, (3, 25)),
          ("run", 2, ("Right",), RUN_KEYS, RUN_WEIGHTS, (5, 30)),
          ("fly", 1, ("Right",), FLY_KEYS, FLY_WEIGHTS, (15, 45))]


class Watch(threading.Thread):
    """Polls the game's variables and counts what happened."""

    def __init__(self, pid, binary, offsets):
        super().__init__(daemon=True)
        self.probe = Probe(pid, binary, offsets)
        self.stop = False
        self.ticks = 0.0
        self.play_ticks = 0.0
        self.deaths = 0
        self.game_overs = 0
        self.switches = 0
        self.alt_deaths = 0
        self.respawns = 0
        self.furthest_x = 0
        self.kills = 0
        self.lowest_stock = None
        self.states_seen = set()
        self.last_advance = time.time()
        self.stalled = 0.0  # longest time the clock stood still, in s

    def run(self):
        last = None
        while not self.stop:
            v = self.probe.read()
            if v is None:
                break
            now = time.time()
            if last is not None:
                delta = v["curTime"] - last["curTime"]
                if delta > 0:
                    ticks = delta if v["debugMode"] else delta / CLOCK_STEP
                    self.ticks += ticks
                    if last["GameState"] in (3, 4):
                        self.play_ticks += ticks
                    self.last_advance = now
                self.stalled = max(self.stalled, now - self.last_advance)
                if v["GameState"] == 4 and last["GameState"] != 4:
                    self.deaths += 1
                    self.alt_deaths += 1 if v["altActive"] else 0
                if last["GameState"] == 4 and v["GameState"] in (3, 5):
                    self.respawns += 1
                if v["GameState"] == 5 and last["GameState"] != 5:
                    self.game_overs += 1
                # A sword kill adds 3 s to the second character's countdown.
                if v["GameState"] == 3 and last["GameState"] == 3 and v["altTimeLeft"] > last["altTimeLeft"]:
                    self.kills += (v["altTimeLeft"] - last["altTimeLeft"]) // 3
                if v["altActive"] != last["altActive"]:
                    self.switches += 1
            if v["GameState"] == 3 and not v["altActive"]:
                self.furthest_x = max(self.furthest_x, v["player.xpos"])
            # Playing only: the respawn that takes the last life also leaves the
            # dying state, and the two variables are not read at one instant.
            if v["GameState"] == 3:
                self.lowest_stock = v["stock"] if self.lowest_stock is None else min(self.lowest_stock, v["stock"])
            self.states_seen.add(v["GameState"])
            last = v
            time.sleep(0.01)
        self.probe.close()


def into_play(game, probe, rng, trips):
    """From the title into play; "Play" one time in five, else "DEBUG BYPASS"."""
    if rng.random() < 0.2:
        if wait_until(probe, lambda v: v["GameState"] == 0, 10.0) is None:
            return False
        while probe.read() and probe.read()["menuItem"] != 0:
            item = probe.read()["menuItem"]
            hold_until(game, probe, "Up", lambda v, item=item: v["menuItem"] != item, 5.0)
        hold_until(game, probe, "Return", lambda v: v["GameState"] in (1, 3), 10.0)
        # The story (first time only) is skipped with Enter.
        hold_until(game, probe, "Return", lambda v: v["GameState"] == 3, 15.0)
        trips["play"] += 1
        return wait_until(probe, lambda v: v["GameState"] == 3, 1.0) is not None
    trips["debug bypass"] += 1
    return enter_debug_play(game, probe)


def play_spell(game, probe, rng, seconds, styles_played):
    """A spell of play in a style picked at random (see the top of this file)."""
    name, _, held, keys, weights, length = rng.choices(STYLES, [st[1] for st in STYLES])[0]
    styles_played[name] += 1
    v = probe.read()
    if v is not None and v["GameState"] == 3 and name in ("run", "fly"):
        # The switch key hands over; held until the game shows the wanted character.
        want = name == "fly"
        if v["altActive"] != want:
            hold_until(game, probe, "z", lambda v: v["altActive"] == want or v["GameState"] != 3, 5.0)
    random_keys(game, min(rng.uniform(*length), seconds), rng, keys, weights=weights, held=held)


def options_trip(game, probe, rng, trips):
    """On the title: "Options", one volume edit, "Return" (saves kv.cfg)."""
    walk_menu(game, probe, "Down", 2)
    hold_until(game, probe, "Return", lambda v: v["menuItem"] == 5, 5.0)
    hold_until(game, probe, "Down", lambda v: v["menuItem"] == 6, 5.0)  # music volume
    tap(game, "Return", 0.15)
    for _ in range(rng.randint(1, 4)):
        tap(game, rng.choice(["Left", "Right"]), 0.12)
    tap(game, "Return", 0.15)
    hold_until(game, probe, "Up", lambda v: v["menuItem"] in (5, 10), 5.0)
    walk_menu(game, probe, "Up", 10)
    hold_until(game, probe, "Return", lambda v: v["menuItem"] == 0, 5.0)
    trips["options"] += 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-asan"),
                        help="build folder with kelvantis and game/ (default build-asan)")
    parser.add_argument("--seconds", type=float, default=600.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--max-mb", type=int, default=1500, help="peak memory that counts as a finding")
    args = parser.parse_args()

    binary = os.path.join(args.build, "kelvantis")
    os.environ["KV_BINARY"] = binary
    os.environ["KV_GAME_DIR"] = os.path.join(args.build, "game")
    offsets = symbol_offsets(binary)
    seed = args.seed if args.seed is not None else int(time.time())
    rng = random.Random(seed)
    print("soak: %.0f s on %s, seed %d" % (args.seconds, binary, seed), flush=True)

    findings = []
    trips = {"debug bypass": 0, "play": 0, "options": 0, "title": 0}
    styles_played = {st[0]: 0 for st in STYLES}
    started = time.time()
    with Xvfb() as xvfb, GameRun(xvfb) as game:
        game.start()
        game.wait_window(timeout=60)
        watch = Watch(game.proc.pid, binary, offsets)
        watch.start()
        probe = Probe(game.proc.pid, binary, offsets)
        end = started + args.seconds
        peak = 0
        while time.time() < end and game.proc.poll() is None:
            state = probe.read()
            if state is None:
                break
            if state["GameState"] == 0:
                if rng.random() < 0.15:
                    options_trip(game, probe, rng, trips)
                if not into_play(game, probe, rng, trips) and game.proc.poll() is None:
                    if wait_until(probe, lambda v: v["GameState"] != 0, 1.0) is None:
                        continue  # try again from the title
            elif state["GameState"] in (3, 4):
                play_spell(game, probe, rng, max(0.0, end - time.time()), styles_played)
                if rng.random() < 0.3 and time.time() < end:
                    back_to_title(game, probe)
                    trips["title"] += 1
            else:
                # Story or game-over screen: the game moves on by itself
                # (Enter skips the story).
                if state["GameState"] == 1:
                    hold_until(game, probe, "Return", lambda v: v["GameState"] != 1, 5.0)
                time.sleep(0.2)
            peak = max(peak, peak_rss_kb(game.proc.pid) or 0)
            if time.time() - watch.last_advance > 15:
                findings.append("hang: the game clock stood still for 15 s")
                break

        code = None
        if game.proc.poll() is None and not findings:
            back_to_title(game, probe)
            # A game over may be on screen; it returns to the title by itself.
            wait_until(probe, lambda v: v["GameState"] == 0, 10.0)
            code = exit_from_title(game)
            if code is None:
                findings.append("hang: Esc, Esc did not end the game")
        elif game.proc.poll() is not None:
            code = game.proc.returncode
            findings.append("the game ended by itself with code %d" % code)
        watch.stop = True
        watch.join(2)
        probe.close()
        game.kill()
        game.wait_exit() if game.proc.poll() is None else game._collect()
        report = sanitizer_report(game.stderr)
        if report:
            findings.append("sanitizer: " + report)
        if code not in (None, 0) and not any("ended by itself" in f for f in findings):
            findings.append("exit code %d after Esc, Esc" % code)
        if peak / 1024 > args.max_mb:
            findings.append("peak memory %d MB" % (peak / 1024))

    print("soak: %.0f s, %.0f ticks (%.0f in play), deaths %d (second character %d), respawns %d, "
          "game overs %d, switches %d, kills %d, lowest stock %s, furthest xpos %d, spells %s, menu trips %s, "
          "longest clock stall %.1f s, peak memory %d MB, exit code %s, %d findings" % (
              time.time() - started, watch.ticks, watch.play_ticks, watch.deaths, watch.alt_deaths,
              watch.respawns, watch.game_overs, watch.switches, watch.kills, watch.lowest_stock, watch.furthest_x,
              ", ".join("%s %d" % kv for kv in styles_played.items()),
              ", ".join("%s %d" % kv for kv in trips.items()), watch.stalled, peak / 1024, code,
              len(findings)))
    for f in findings:
        print("FINDING " + f)
    if findings:
        print(game.stderr[-3000:].decode(errors="replace"))
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
