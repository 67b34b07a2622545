"""One sound path for both builds: every shipped sample (and a converted
8-bit 22050 Hz one) loads and mixes alike in the desktop build and the
browser build of the sound layer (compiled with em++ and run under node), and
in a browser that asks for a user gesture the first key press or tap starts
the sound.

Run: /usr/bin/python3 tests/web/test_sound.py (KV_GAME_DIR names the data,
default build/game; KV_WEB_PREFIX the browser build's libraries, default
build-web/prefix; KV_WEB_DIST the browser build's folder)."""
import array
import glob
import math
import os
import subprocess
import sys
import tempfile
import unittest
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kvweb  # noqa: E402
from kvweb import wait_for  # noqa: E402

ROOT = kvweb.ROOT
PREFIX = os.environ.get("KV_WEB_PREFIX", os.path.join(ROOT, "build-web", "prefix"))
GAME = os.environ.get("KV_GAME_DIR", os.path.join(ROOT, "build", "game"))
SOURCES = [os.path.join(ROOT, "tests", "web", "sampleMix.cpp"),
           os.path.join(ROOT, "src", "audio", "fsound.cpp"),
           os.path.join(ROOT, "src", "audio", "wavFile.cpp"),
           os.path.join(ROOT, "src", "audio", "mixer.cpp")]
NODE = "/usr/bin/node" if os.path.exists("/usr/bin/node") else "node"


def pkg_config(*args):
    return subprocess.run(["pkg-config", *args], check=True, capture_output=True, text=True).stdout.split()


def mixed(folder, index):
    values = array.array("h")
    with open(os.path.join(folder, "%d.raw" % index), "rb") as f:
        values.frombytes(f.read())
    return values


def correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    sab = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    saa = sum((x - ma) ** 2 for x in a)
    sbb = sum((y - mb) ** 2 for y in b)
    return sab / math.sqrt(saa * sbb) if saa and sbb else (1.0 if a == b else 0.0)


class SoundPathTest(unittest.TestCase):

    def test_every_sample_mixes_alike_in_both_builds(self):
        samples = sorted(glob.glob(os.path.join(GAME, "data", "*.wav")))
        self.assertTrue(samples, "no samples in %s/data" % GAME)
        env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
        with tempfile.TemporaryDirectory() as work:
            # A converted case too: 8-bit stereo at 22050 Hz, a rising tone.
            converted = os.path.join(work, "converted.wav")
            with wave.open(converted, "wb") as w:
                w.setnchannels(2)
                w.setsampwidth(1)
                w.setframerate(22050)
                w.writeframes(bytes(int(128 + 100 * math.sin(i * i / 40000.0 + c)) & 0xFF
                                    for i in range(6000) for c in (0, 1)))
            samples.append(converted)
            desktop = os.path.join(work, "desktop")
            subprocess.run(["g++", "-std=c++17", "-O1", "-I" + os.path.join(ROOT, "src"), *SOURCES,
                            *pkg_config("--cflags", "--libs", "sdl2", "vorbisfile"), "-o", desktop],
                           check=True, timeout=300)
            browser = os.path.join(work, "browser.js")
            subprocess.run(["em++", "-std=c++17", "-O1", "-I" + os.path.join(ROOT, "src"),
                            "-I" + os.path.join(PREFIX, "include"), *SOURCES]
                           + [os.path.join(PREFIX, "lib", lib) for lib in
                              ("libvorbisfile.a", "libvorbis.a", "libogg.a")]
                           + ["-sNODERAWFS=1", "-sALLOW_MEMORY_GROWTH=1", "-sENVIRONMENT=node",
                              "-o", browser],
                           check=True, env=env, timeout=600)
            outputs = {}
            for name, command in (("desktop", [desktop]), ("browser", [NODE, "--no-experimental-fetch", browser])):
                out = os.path.join(work, name + "-out")
                os.mkdir(out)
                run = subprocess.run(command + [out] + samples, capture_output=True, text=True,
                                     env=env, timeout=120)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertNotIn("refused", run.stdout)
                outputs[name] = out
            for index, sample in enumerate(samples, 1):
                with self.subTest(sample=os.path.basename(sample)):
                    a, b = mixed(outputs["desktop"], index), mixed(outputs["browser"], index)
                    self.assertGreater(len(a), 0)
                    self.assertEqual(len(a), len(b))
                    worst = max(abs(x - y) for x, y in zip(a, b))
                    r = correlation(a, b)
                    print("%s: %d frames, largest difference %d, correlation %.6f"
                          % (os.path.basename(sample), len(a) // 2, worst, r), file=sys.stderr)
                    self.assertTrue(worst <= 2 or r >= 0.999, (worst, r))

    def test_the_first_key_press_or_tap_starts_the_sound(self):
        folder = kvweb.dist_dir()
        server = kvweb.StaticServer(folder)
        self.addCleanup(server.close)
        # A browser that keeps audio suspended until a user gesture.
        flags = kvweb.CHROMIUM_FLAGS
        kvweb.CHROMIUM_FLAGS = [f for f in flags if not f.startswith("--autoplay-policy")]
        try:
            browser = kvweb.Chromium().__enter__()
        finally:
            kvweb.CHROMIUM_FLAGS = flags
        self.addCleanup(browser.close)
        page = kvweb.Page(browser)
        self.addCleanup(page.close)
        page.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        states = "kvAudioContexts.map(c => c.state).join()"
        for gesture in ("key", "tap"):
            with self.subTest(gesture=gesture):
                page.open(server.url + "index.html")
                wait_for(lambda: page.frames() >= 3, 120, "drawn frames")
                self.assertEqual(page.eval(states), "suspended")
                mixed_before = page.eval("Module.kvMixerCounts().mixedFrames")
                if gesture == "key":
                    page.key("Down", True)
                    page.key("Down", False)
                else:
                    for kind in ("touchStart", "touchEnd"):
                        page.send("Input.dispatchTouchEvent", type=kind,
                                  touchPoints=[] if kind == "touchEnd" else [{"x": 320, "y": 240}])
                wait_for(lambda: page.eval(states) == "running", 30, "running audio")
                wait_for(lambda: page.eval("Module.kvMixerCounts().mixedFrames") > mixed_before, 30,
                         "sound being mixed")


if __name__ == "__main__":
    unittest.main()
