#!/usr/bin/env python3
"""The browser build's figures next to the desktop build's, measured in one run.

  /usr/bin/python3 bench/webFigures.py [BUILD_DIR] [--seconds N] [--runs N]

BUILD_DIR is the desktop build (default build/); the browser folder is
KV_WEB_DIST or build-web/dist. Prints:
  - the download: each file of the folder raw and gzipped (level 6, what a
    web server's gzip gives by default);
  - page load to the first drawn title frame in headless Chromium (fresh
    profile each run), next to the desktop's process start to the first
    swapped frame under Xvfb;
  - the pace: game-clock ticks and drawn frames per second on the title and
    in quiet play (the first player standing at the start, after "Play" and
    the story), in the browser (the clock from Module.kvDebugState(), the
    frames from the page's counter, against the page's own clock) and in the
    desktop game (its clock and frame counter read out of its memory); both
    tick every 11 ms, so neither can pass about 91;
  - the busiest bench scene (tests/support/busyScene.cpp) in the browser
    (its own small build, bench/web/, built here into build-web/bench/ with
    the browser build's libraries): paced by the game's own clock, ticks
    and updates running and the scene set up again every 250 ms, and drawn
    over and over as fast as the page presents frames; on the desktop
    unpaced by kvframetiming, with the plain playing frame beside it;
  - a summary of the ticks per second side by side.
"""
import gzip
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "tools", "play"))
sys.path.insert(0, HERE)

import kvprobe  # noqa: E402
import kvweb  # noqa: E402
import perfSuite  # noqa: E402
from kvharness import GameRun, Xvfb  # noqa: E402
from kvweb import wait_for  # noqa: E402

# Runs before the page's own scripts: notes the time (ms since navigation
# started) of the first animation frame at which the game has drawn a frame.
FIRST_FRAME_PROBE = """
(function watch() {
  if (window.kvFrames > 0) { window.kvFirstFrameMs = performance.now(); return; }
  requestAnimationFrame(watch);
})();
"""


def option(name, default):
    if name in sys.argv:
        return float(sys.argv[sys.argv.index(name) + 1])
    return default


def download_sizes(folder):
    print("== download (%s)" % folder)
    raw_total = gz_total = 0
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        gz = len(gzip.compress(data, 6))
        raw_total += len(data)
        gz_total += gz
        print("%-16s %10d bytes raw %10d gzip" % (name, len(data), gz))
    print("%-16s %10d bytes raw %10d gzip" % ("total", raw_total, gz_total))


# In-page reading of the wall clock, the drawn frames and the game clock.
PACE_SAMPLE = ("({now: performance.now(), frames: window.kvFrames,"
               " clock: JSON.parse(Module.kvDebugState()).curTime})")
CLOCK_STEP = 11.7647


def browser_pace(page, seconds):
    """(ticks, frames) per second over seconds of the page's own clock."""
    a = page.eval(PACE_SAMPLE)
    time.sleep(seconds)
    b = page.eval(PACE_SAMPLE)
    wall = (b["now"] - a["now"]) / 1000.0
    return (b["clock"] - a["clock"]) / CLOCK_STEP / wall, (b["frames"] - a["frames"]) / wall


def browser_figures(url, runs, seconds):
    print("\n== headless Chromium (SwiftShader), %d loads with a fresh profile each" % runs)
    firsts = []
    pace = {}
    for run in range(runs):
        with kvweb.Chromium() as browser:
            page = kvweb.Page(browser)
            page.send("Page.addScriptToEvaluateOnNewDocument", source=FIRST_FRAME_PROBE)
            page.open(url)
            firsts.append(wait_for(lambda: page.eval("window.kvFirstFrameMs"), 120, "the first frame"))
            if run == runs - 1:
                page.wait_frames(30)
                pace["title"] = browser_pace(page, seconds)
                page.hold("Enter", until=lambda: page.state()["state"] == 1)
                page.hold("Enter", until=lambda: page.state()["state"] == 3)
                page.wait_frames(30)
                pace["quiet play"] = browser_pace(page, seconds)
            page.pump()
            if page.errors:
                print("page errors: %s" % page.errors)
            page.close()
    print("page load to the first title frame: median %.0f ms (%s)"
          % (statistics.median(firsts), " ".join("%.0f" % t for t in firsts)))
    for scene, (ticks, frames) in pace.items():
        print("%s: %.1f ticks/s, %.1f frames/s over %.0f s" % (scene, ticks, frames, seconds))
    return pace


def build_busy_scene(build):
    """Builds bench/web's busiest-scene program into build-web/bench/ and
    returns that folder."""
    out = os.path.join(ROOT, "build-web", "bench")
    env = dict(os.environ, NODE_PATH=os.environ.get("NODE_PATH", "/usr/share/nodejs"))
    subprocess.run(["emcmake", "cmake", "-S", ROOT, "-B", out, "-DCMAKE_BUILD_TYPE=Release",
                    "-DCMAKE_PROJECT_KelVantis_INCLUDE=" + os.path.join(HERE, "web", "busyFrames.cmake"),
                    "-DKV_WEB_PREFIX=" + os.path.join(ROOT, "build-web", "prefix"),
                    "-DKV_GAME_DATA=" + os.path.join(build, "game")],
                   env=env, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", out, "-j%d" % os.cpu_count(), "--target", "kvbusyweb"],
                   env=env, check=True, stdout=subprocess.DEVNULL)
    return out


def browser_busy_scene(folder, seconds):
    """Frames per second of the busiest scene, paced by the game's clock
    (one frame per tick) and drawn without pause."""
    server = kvweb.StaticServer(folder)
    rates = {}
    try:
        for mode, query in (("paced", "?paced"), ("unpaced", "")):
            with kvweb.Chromium() as browser:
                page = kvweb.Page(browser)
                page.open(server.url + "index.html" + query)
                wait_for(lambda: page.frames() > 30, 300, "the busiest frame drawn")
                start_frames, start = page.eval("[window.kvFrames, performance.now()]")
                time.sleep(seconds)
                frames, now = page.eval("[window.kvFrames, performance.now()]")
                rates[mode] = (frames - start_frames) / ((now - start) / 1000.0)
                page.close()
    finally:
        server.close()
    print("busiest bench scene paced by the game's clock: %.1f ticks/s (one frame each) over %.0f s"
          % (rates["paced"], seconds))
    print("busiest bench scene drawn without pause: %.1f frames/s (%.1f ms a frame) over %.0f s"
          % (rates["unpaced"], 1000 / rates["unpaced"], seconds))
    return rates["paced"]


def desktop_pace(xvfb, seconds):
    """Ticks and frames per second of the real game on the title and standing
    in play: the clock is curTime, the frames fpsFrames (the fps readout's
    frame counter, which every drawn frame advances and which restarts at 0
    after its 86th frame), both read out of its memory."""
    kvprobe.VARIABLES["fpsFrames"] = "i"
    pace = {}
    with GameRun(xvfb) as g:
        g.start()
        g.wait_window()
        probe = kvprobe.Probe(g.proc.pid, g.binary)

        def measure():
            time.sleep(0.5)
            first = probe.read()
            frames, last = 0, first["fpsFrames"]
            start = time.monotonic()
            while time.monotonic() - start < seconds:
                time.sleep(0.002)
                now = probe.read()["fpsFrames"]
                frames += now - last if now >= last else 86 - last + now
                last = now
            wall = time.monotonic() - start
            return (probe.read()["curTime"] - first["curTime"]) / CLOCK_STEP / wall, frames / wall

        pace["title"] = measure()
        from kvdrive import hold_until
        hold_until(g, probe, "Return", lambda v: v["GameState"] == 1)
        hold_until(g, probe, "Return", lambda v: v["GameState"] == 3)
        pace["quiet play"] = measure()
        probe.close()
    return pace


def desktop_figures(build, frames, runs, seconds):
    game = os.path.join(build, "game")
    binary = os.path.join(build, "kelvantis")
    os.environ["KV_BINARY"] = binary
    os.environ["KV_GAME_DIR"] = game
    print("\n== desktop build, Mesa llvmpipe under Xvfb")
    with Xvfb() as xvfb:
        shim = os.path.join(build, "bench", "libkvfirstframe.so")
        times = perfSuite.time_first_frames(binary, game, xvfb.display, shim, runs)
        print("process start to the first title frame: median %.0f ms (%s)"
              % (statistics.median(times), " ".join("%.0f" % t for t in times)))
        pace = desktop_pace(xvfb, seconds)
        for scene, (ticks, drawn) in pace.items():
            print("%s: %.1f ticks/s, %.1f frames/s over %.0f s" % (scene, ticks, drawn, seconds))
        print("kvframetiming %d frames:" % frames)
        report, _ = perfSuite.run_frame_timing(build, game, xvfb.display, frames)
        play = perfSuite.number(r"playing:\s+median ([\d.]+) ms", report)
        busy = perfSuite.number(r"busiest playing frame: median ([\d.]+) ms", report)
        print("unpaced: plain playing frame %.2f ms (%.0f frames/s), busiest bench scene %.2f ms (%.0f frames/s)"
              % (play, 1000 / play, busy, 1000 / busy))
    # The desktop has no paced run of the busiest scene: a tick that draws it
    # cannot come sooner than one such frame after the last.
    pace["busiest bench scene"] = (min(1000 / 11.0, 1000 / busy), None)
    return pace


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--") and not a.replace(".", "").isdigit()]
    build = os.path.abspath(args[0] if args else os.path.join(ROOT, "build"))
    seconds = option("--seconds", 10.0)
    runs = int(option("--runs", 5))
    folder = kvweb.dist_dir()
    print("KelVantis browser figures, %s, %d cores" % (perfSuite.load(), os.cpu_count()))
    download_sizes(folder)
    server = kvweb.StaticServer(folder)
    try:
        web = browser_figures(server.url + "index.html", runs, seconds)
    finally:
        server.close()
    web["busiest bench scene"] = (browser_busy_scene(build_busy_scene(build), seconds), None)
    desktop = desktop_figures(build, 600, runs, seconds)
    print("\n== ticks per second, browser | desktop (at most about 91)")
    for scene in ("title", "quiet play", "busiest bench scene"):
        note = " (desktop: bound from its unpaced frame)" if scene == "busiest bench scene" else ""
        print("%-20s %6.1f | %6.1f%s" % (scene, web[scene][0], desktop[scene][0], note))
    return 0


if __name__ == "__main__":
    sys.exit(main())
