#!/usr/bin/python3
"""KelVantis performance figures, side by side in one run, some against targets.

Usage: bench/perfSuite.py [BUILD_DIR] [--smoke]
       (or `bash tools/dev.sh bench`, which builds first)

Runs under a private Xvfb, in the generated game folder of BUILD_DIR
(default: build):
  1. build/bench/kvframetiming: title and playing frames, the busiest playing
     frame against the two-background-layer floor (alternating frames, so
     both meet the same load), the playing tick with a full bullet pool, the
     screenshot encoder against libpng, picture decoding, and the heap
     allocations of the game's own code per frame (must be none);
  2. start-up: process start to the first swapped frame of the title, ten
     times, with a bare GLUT window timed the same way for comparison;
  3. CPU: the game's share of one core on the title screen and in play, ten
     seconds each, from /proc/<pid>/stat;
  4. display sync: frames drawn per second on the title and in play on a
     simulated display that syncs each swap to a 60 Hz refresh (the
     preloaded build/tests/libkvsynceddisplay.so), next to one that never
     waits, and as the game drew before it asked for swap interval 0 (the
     display taking no notice of the request); the games measured in turn,
     a quarter of a second at a time.
--smoke runs everything briefly to show that it still works (CI); its
numbers mean nothing and no time is checked. The exit code is 0 unless a
program failed or the game's code allocated during a frame.
"""
import os
import re
import signal
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "play"))
import kvprobe  # noqa: E402
from kvdrive import hold_until  # noqa: E402
from kvharness import GameRun, Xvfb, keys  # noqa: E402
from kvsync import SyncedGames, frame_rates, stop  # noqa: E402

TICKS_PER_SECOND = 1000.0 / 11.0


def load():
    return "load average %.2f %.2f %.2f" % os.getloadavg()


def run_frame_timing(build, game, display, frames):
    """kvframetiming's report; raises if it failed."""
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
    res = subprocess.run([os.path.join(build, "bench", "kvframetiming"), str(frames)], cwd=game, env=env,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=1800)
    print(res.stdout, end="")
    if res.returncode not in (0, 2):
        raise RuntimeError("kvframetiming failed with %d" % res.returncode)
    return res.stdout, res.returncode


def time_first_frames(program, game, display, shim, runs):
    """Milliseconds from the process start to its first swapped frame."""
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy", LD_PRELOAD=shim)
    times = []
    for _ in range(runs):
        start = time.monotonic()
        res = subprocess.run([program], cwd=game, env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True, timeout=60)
        found = re.search(r"^kvfirstframe (\d+\.\d+)$", res.stderr, re.M)
        if not found:
            raise RuntimeError("%s swapped no frame (exit code %d)" % (program, res.returncode))
        times.append((float(found.group(1)) - start) * 1000.0)
    return times


def stat_ticks(path):
    """utime + stime and the name from a /proc stat file."""
    with open(path) as f:
        text = f.read()
    fields = text.rsplit(")", 1)[1].split()
    return text[text.index("(") + 1:text.rindex(")")], int(fields[11]) + int(fields[12])


def thread_ticks(pid):
    ticks = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            name, used = stat_ticks("/proc/%d/task/%s/stat" % (pid, tid))
        except OSError:
            continue  # the thread just ended
        ticks[tid] = (name, used)
    return ticks


def cpu_share(pid, seconds):
    """The process's CPU time over the next seconds in percent of one core:
    the whole process, and the sound library's threads alone."""
    _, before = stat_ticks("/proc/%d/stat" % pid)
    threads_before, start = thread_ticks(pid), time.monotonic()
    time.sleep(seconds)
    _, after = stat_ticks("/proc/%d/stat" % pid)
    threads_after, end = thread_ticks(pid), time.monotonic()
    scale = 100.0 / os.sysconf("SC_CLK_TCK") / (end - start)
    sound = sum(used - threads_before.get(tid, (name, 0))[1]
                for tid, (name, used) in threads_after.items() if name.startswith("SDLAudio"))
    return (after - before) * scale, sound * scale


def measure_cpu(xvfb, seconds):
    with GameRun(xvfb) as game:
        game.start()
        game.wait_window()
        time.sleep(1.0)
        title = cpu_share(game.proc.pid, seconds)
        keys(game, "Return")  # "Play": the story
        keys(game, "Return")  # into the level
        time.sleep(1.0)
        play = cpu_share(game.proc.pid, seconds)
        if game.proc.poll() is not None:
            raise RuntimeError("the game ended during the CPU measurement")
    return title, play


# The simulated displays of the display-sync figures.
DISPLAYS = {"never waiting": (0, {}), "60 Hz": (60, {}), "60 Hz, as before": (60, {"ignore": True})}


def measure_display_sync(library, rounds, window):
    """Frames drawn per second on DISPLAYS, on the title and in play."""
    with SyncedGames({name: (hz, dict(options, library=library))
                      for name, (hz, options) in DISPLAYS.items()}) as games:
        stop(games)
        title = frame_rates(games, rounds, window)
        for game in games.values():
            game.proc.send_signal(signal.SIGCONT)
            probe = kvprobe.Probe(game.proc.pid, game.binary)
            if not (hold_until(game, probe, "Return", lambda v: v["GameState"] == 1)
                    and hold_until(game, probe, "Return", lambda v: v["GameState"] == 3)):
                raise RuntimeError("a synced game did not reach play")
            probe.close()
            game.proc.send_signal(signal.SIGSTOP)
        play = frame_rates(games, rounds, window)
    return title, play


def number(pattern, text):
    found = re.search(pattern, text)
    return float(found.group(1)) if found else float("nan")


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    smoke = "--smoke" in sys.argv[1:]
    build = os.path.abspath(args[0] if args else os.path.join(HERE, "..", "build"))
    game = os.path.join(build, "game")
    binary = os.path.join(build, "kelvantis")
    os.environ["KV_BINARY"] = binary
    os.environ["KV_GAME_DIR"] = game
    frames, runs, seconds = (50, 2, 1.0) if smoke else (2000, 10, 10.0)
    sync_rounds, sync_window = (2, 0.1) if smoke else (20, 0.25)

    print("KelVantis performance suite%s, %s, %d cores" % (" (smoke run)" if smoke else "", load(), os.cpu_count()))
    with Xvfb() as xvfb:
        print("\n== frames, tick, screenshot, decoding (kvframetiming %d)" % frames)
        report, code = run_frame_timing(build, game, xvfb.display, frames)

        print("\n== start-up: process start to the first swapped frame, %d runs each" % runs)
        shim = os.path.join(build, "bench", "libkvfirstframe.so")
        game_times = time_first_frames(binary, game, xvfb.display, shim, runs)
        bare_times = time_first_frames(os.path.join(build, "bench", "kvbarewindow"), game, xvfb.display, shim, runs)
        print("game:        median %.0f ms (%s)" % (statistics.median(game_times),
                                                    " ".join("%.0f" % t for t in game_times)))
        print("bare window: median %.0f ms (%s)" % (statistics.median(bare_times),
                                                    " ".join("%.0f" % t for t in bare_times)))

        print("\n== CPU: share of one core over %.0f s each" % seconds)
        title_cpu, play_cpu = measure_cpu(xvfb, seconds)
        # The CPU time kvframetiming measured per frame (update, draw, swap)
        # at the game's pace, at one frame per tick.
        title_needed = number(r"title menu:.*CPU ([\d.]+) ms a frame", report) * TICKS_PER_SECOND / 10.0
        needed = number(r"playing:.*CPU ([\d.]+) ms a frame", report) * TICKS_PER_SECOND / 10.0
        print("title screen: %.1f %%, of which sound %.1f %% (its frames alone at %.1f ticks/s: %.1f %%)"
              % (title_cpu[0], title_cpu[1], TICKS_PER_SECOND, title_needed))
        print("in play:      %.1f %%, of which sound %.1f %% (its frames alone: %.1f %%)"
              % (play_cpu[0], play_cpu[1], needed))

        library = os.path.join(build, "tests", "libkvsynceddisplay.so")
        print("\n== display sync: frames drawn per second, %d rounds of %.1f s each" % (sync_rounds, sync_window))
        sync = None
        if os.path.exists(library):
            sync = measure_display_sync(library, sync_rounds, sync_window)
            print("(in all windows; in the upper quartile of the windows, which outside load holds back least)")
            for state, rates in zip(("title screen", "in play"), sync):
                print("%-13s %s" % (state + ":", ", ".join("%s %.1f (%.1f)" % (
                    name, rates.overall(name), rates.upper_quartile(name)) for name in DISPLAYS)))
        else:
            print("not measured: %s is not built (the tests are off)" % library)

    busiest = number(r"busiest playing frame: median ([\d.]+) ms", report)
    busiest_p95 = number(r"busiest playing frame: median [\d.]+ ms, p95 ([\d.]+) ms", report)
    floor = number(r"two-layer floor:\s+median ([\d.]+) ms", report)
    shot_ratio = number(r"screenshot: .*ratio ([\d.]+)", report)
    tick_us = number(r"playing tick.*median (\d+) ns", report) / 1000.0
    # Figures that have no target.
    figures = [
        ("busiest frame / floor, median", "%.2f" % (busiest / floor)),
        ("busiest frame p95", "%.2f ms" % busiest_p95),
        ("start-up, median", "%.0f ms" % statistics.median(game_times)),
    ]
    if sync:
        for state, rates in zip(("title", "play"), sync):
            figures.append(("60 Hz display, %s, frames/s" % state, "%.1f (before %.1f, never waiting %.1f)"
                            % (rates.overall("60 Hz"), rates.overall("60 Hz, as before"),
                               rates.overall("never waiting"))))
    rows = [
        ("playing tick, full pool", "%.1f us" % tick_us, "<= 20 us", tick_us <= 20.0),
        ("screenshot / libpng", "%.2f" % shot_ratio, "<= 1", shot_ratio <= 1.0),
        ("title screen CPU", "%.1f %%" % title_cpu[0], "<= 10 %", title_cpu[0] <= 10.0),
        # Sleeping between ticks: besides the music, no more than the frames
        # themselves, give or take the timer and window events.
        ("play CPU less sound", "%.1f %%" % (play_cpu[0] - play_cpu[1]), "<= %.0f %%" % (needed + 5.0),
         play_cpu[0] - play_cpu[1] <= needed + 5.0),
        ("heap allocations per frame", "none" if code == 0 else "some", "none", code == 0),
    ]
    print("\n== figures (%s)%s" % (load(), "  [smoke run: numbers mean nothing]" if smoke else ""))
    for name, value in figures:
        print("%-32s %s" % (name, value))
    print("\n== targets")
    for name, value, target, met in rows:
        print("%-32s %12s   target %-12s %s" % (name, value, target, "met" if met else "NOT MET"))
    return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
