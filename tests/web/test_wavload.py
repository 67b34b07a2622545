"""The browser build's WAV reader, compiled with em++ and run under node:
a good sample loads, hostile chunk sizes are refused without a hang.

Run: /usr/bin/python3 tests/web/test_wavload.py (KV_WEB_PREFIX names the
browser build's libraries, default build-web/prefix)."""
import os
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PREFIX = os.environ.get("KV_WEB_PREFIX", os.path.join(ROOT, "build-web", "prefix"))


class WavLoadTest(unittest.TestCase):

    def test_good_sample_loads_and_hostile_ones_are_refused(self):
        env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
        with tempfile.TemporaryDirectory() as work:
            program = os.path.join(work, "wavLoad.js")
            subprocess.run(
                ["em++", "-std=c++17", "-O1", "-I" + os.path.join(ROOT, "src"),
                 "-I" + os.path.join(PREFIX, "include"),
                 os.path.join(ROOT, "tests", "web", "wavLoad.cpp"),
                 os.path.join(ROOT, "src", "audio", "fsound.cpp"),
                 os.path.join(ROOT, "src", "audio", "mixer.cpp")]
                + [os.path.join(PREFIX, "lib", lib) for lib in ("libvorbisfile.a", "libvorbis.a", "libogg.a")]
                + ["-o", program],
                check=True, env=env, timeout=300)
            # Before the chunk walk was bounded, wrap.wav looped for ever.
            node = "/usr/bin/node" if os.path.exists("/usr/bin/node") else "node"
            run = subprocess.run([node, "--no-experimental-fetch", program], cwd=work,
                                 capture_output=True, text=True, env=env, timeout=60)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout.splitlines(), [
            "good.wav loaded", "wrap.wav refused", "cut.wav loaded", "nobits.wav refused"])


if __name__ == "__main__":
    unittest.main()
