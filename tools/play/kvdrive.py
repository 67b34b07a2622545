"""Driving a running game by keys, checked against its own state (kvprobe)."""
import time

# Seconds a press may go unanswered before it is sent again (see hold_until);
# runs under valgrind, whose frames take seconds, set it higher.
RETRY_SECONDS = 2.0

# Keys the game binds, with the function keys and the menu keys.
PLAY_KEYS = ["j", "l", "i", "k", "Left", "Right", "Up", "Down", "c", "x", "z", "F1"]


def wait_until(probe, test, timeout):
    """Polls the game's variables until test(values) holds; the values, or
    None when the time ran out or the game ended."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        values = probe.read()
        if values is None:
            return None
        if test(values):
            return values
        time.sleep(0.01)
    return None


def hold_until(game, probe, key, test, timeout=10.0):
    """Holds key down until test(values) holds, then releases it. True when
    the game reached that state.

    With key repeat ignored, freeglut takes a release that arrives with the
    next press of the same key for an auto-repeat and drops both: the key is
    down but the game never saw it. A press not answered within 2 s is
    therefore released and sent again (after RETRY_SECONDS)."""
    deadline = time.time() + timeout
    while True:
        game.xdotool("keydown", key, check=False)
        try:
            left = deadline - time.time()
            if wait_until(probe, test, min(RETRY_SECONDS, max(0.0, left))) is not None:
                return True
        finally:
            game.xdotool("keyup", key, check=False)
            time.sleep(0.03)
        if probe.read() is None or time.time() >= deadline:
            return False
        time.sleep(0.1)


def walk_menu(game, probe, key, target, steps=6):
    """Presses key one menu entry at a time, each press held until the
    cursor has moved, until the cursor is on entry target (at most steps
    presses). True when it got there."""
    for _ in range(steps):
        values = probe.read()
        if values is None:
            return False
        item = values["menuItem"]
        if item == target:
            return True
        if not hold_until(game, probe, key, lambda v, item=item: v["menuItem"] != item, 5.0):
            return False
    values = probe.read()
    return values is not None and values["menuItem"] == target


def tap(game, key, seconds):
    """Presses and releases key without waiting for the game to answer."""
    game.xdotool("keydown", key, check=False)
    time.sleep(seconds)
    game.xdotool("keyup", key, check=False)


def enter_debug_play(game, probe):
    """From the title screen to "DEBUG BYPASS" play. True when playing."""
    if wait_until(probe, lambda v: v["GameState"] == 0, 10.0) is None:
        return False
    values = probe.read()
    if values is None:
        return False
    # "DEBUG BYPASS" is entry 1: down from "Play", up from the entries below it.
    if not walk_menu(game, probe, "Down" if values["menuItem"] == 0 else "Up", 1):
        return False
    return hold_until(game, probe, "Return", lambda v: v["GameState"] == 3, 10.0)


def back_to_title(game, probe):
    """Esc until the title screen shows (none when it already does: Esc on
    the title ends the game). True on the title."""
    values = probe.read()
    if values is not None and values["GameState"] == 0:
        return True
    return hold_until(game, probe, "Escape", lambda v: v["GameState"] == 0, 10.0)


def random_keys(game, seconds, rng, keys=PLAY_KEYS, gap=(0.02, 0.25), weights=None, held=()):
    """Random presses and releases for a while; at most three keys down at
    once, all released at the end. weights (one per key) makes some keys
    come up more often than others; the keys in held stay down throughout
    (keys bound to the same control as a held one must not be in keys, or
    their release would clear it)."""
    for key in held:
        game.xdotool("keydown", key, check=False)
    down = set()
    end = time.time() + seconds
    while time.time() < end and game.proc.poll() is None:
        if down and (len(down) >= 3 or rng.random() < 0.45):
            key = rng.choice(sorted(down))
            game.xdotool("keyup", key, check=False)
            down.discard(key)
        else:
            key = rng.choices(keys, weights)[0] if weights else rng.choice(keys)
            if key not in down:
                game.xdotool("keydown", key, check=False)
                down.add(key)
        time.sleep(rng.uniform(*gap))
    for key in sorted(down) + list(held):
        game.xdotool("keyup", key, check=False)


def exit_from_title(game, timeout=30.0):
    """Holds Esc on the title screen until the game ends (pressed again now
    and then, see hold_until); its exit code, or None when it did not end in
    time."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        game.xdotool("keydown", "Escape", check=False)
        try:
            return game.proc.wait(min(RETRY_SECONDS + 1.0, max(0.1, deadline - time.time())))
        except Exception:
            pass
        finally:
            game.xdotool("keyup", "Escape", check=False)
        time.sleep(0.1)
    return None
