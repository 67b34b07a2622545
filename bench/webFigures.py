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
  - frames drawn per second in quiet play (the first player standing at the
    start, after "Play" and the story) in the browser, counted with the
    page's frame counter, and in the desktop game, counted from its own
    frame counter read out of its memory; both are paced by the game's 11 ms
    tick, so neither can pass about 91;
  - the busiest bench scene (tests/support/busyScene.cpp) drawn over and
    over: in the browser as fast as the page presents frames (its own small
    build, bench/web/, built here into build-web/bench/ with the browser
    build's libraries), on the desktop unpaced by kvframetiming, with the
    plain playing frame beside it.
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


def browser_figures(url, runs, seconds):
    print("\n== headless Chromium (SwiftShader), %d loads with a fresh profile each" % runs)
    firsts = []
    fps = None
    for run in range(runs):
        with kvweb.Chromium() as browser:
            page = kvweb.Page(browser)
            page.send("Page.addScriptToEvaluateOnNewDocument", source=FIRST_FRAME_PROBE)
            page.open(url)
            firsts.append(wait_for(lambda: page.eval("window.kvFirstFrameMs"), 120, "the first frame"))
            if run == runs - 1:
                page.hold("Enter", until=lambda: page.state()["state"] == 1)
                page.hold("Enter", until=lambda: page.state()["state"] == 3)
                page.wait_frames(30)
                start_frames, start = page.frames(), time.monotonic()
                time.sleep(seconds)
                fps = (page.frames() - start_frames) / (time.monotonic() - start)
            page.pump()
            if page.errors:
                print("page errors: %s" % page.errors)
            page.close()
    print("page load to the first title frame: median %.0f ms (%s)"
          % (statistics.median(firsts), " ".join("%.0f" % t for t in firsts)))
    print("quiet play: %.1f frames/s over %.0f s" % (fps, seconds))


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
    server = kvweb.StaticServer(folder)
    try:
        with kvweb.Chromium() as browser:
            page = kvweb.Page(browser)
            page.open(server.url + "index.html")
            wait_for(lambda: page.frames() > 30, 300, "the busiest frame drawn")
            start_frames, start = page.frames(), time.monotonic()
            time.sleep(seconds)
            fps = (page.frames() - start_frames) / (time.monotonic() - start)
            page.close()
    finally:
        server.close()
    print("busiest bench scene, drawn without pause: %.1f frames/s (%.1f ms a frame) over %.0f s"
          % (fps, 1000 / fps, seconds))


def desktop_quiet_play_fps(xvfb, seconds):
    """Frames the real game draws per second standing in play, counted from
    fpsFrames (the fps readout's frame counter, which every drawn frame
    advances and which restarts at 0 after its 86th frame)."""
    kvprobe.VARIABLES["fpsFrames"] = "i"
    with GameRun(xvfb) as g:
        g.start()
        g.wait_window()
        probe = kvprobe.Probe(g.proc.pid, g.binary)
        from kvdrive import hold_until
        hold_until(g, probe, "Return", lambda v: v["GameState"] == 1)
        hold_until(g, probe, "Return", lambda v: v["GameState"] == 3)
        time.sleep(0.5)
        frames, last = 0, probe.read()["fpsFrames"]
        start = time.monotonic()
        while time.monotonic() - start < seconds:
            time.sleep(0.002)
            now = probe.read()["fpsFrames"]
            frames += now - last if now >= last else 86 - last + now
            last = now
        probe.close()
        return frames / (time.monotonic() - start)


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
        print("quiet play: %.1f frames/s over %.0f s" % (desktop_quiet_play_fps(xvfb, seconds), seconds))
        print("kvframetiming %d frames:" % frames)
        report, _ = perfSuite.run_frame_timing(build, game, xvfb.display, frames)
        play = perfSuite.number(r"playing:\s+median ([\d.]+) ms", report)
        busy = perfSuite.number(r"busiest playing frame: median ([\d.]+) ms", report)
        print("unpaced: plain playing frame %.2f ms (%.0f frames/s), busiest bench scene %.2f ms (%.0f frames/s)"
              % (play, 1000 / play, busy, 1000 / busy))


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
        browser_figures(server.url + "index.html", runs, seconds)
    finally:
        server.close()
    browser_busy_scene(build_busy_scene(build), seconds)
    desktop_figures(build, 600, runs, seconds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
