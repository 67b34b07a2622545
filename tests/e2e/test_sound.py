"""Sound of the real game under Xvfb: SDL's disk driver writes the mixed
output (stereo 16-bit at 44100 Hz, paced in real time) to a raw file, which
is read back and measured around the keys the test sends."""
import array
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from kvharness import GameRun, XvfbTestCase, key_to_exit, keys

GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "data", "delay2.ogg"))

RATE = 44100
# The menu samples peak at about 23000 at full volume and the music's 50 ms
# stretches never fall below about 2800 in its first six seconds: these
# thresholds leave a wide margin on both sides.
AUDIBLE = 3000
MUSIC_FLOOR = 800


def read_pcm(path):
    pcm = array.array("h")
    with open(path, "rb") as f:
        data = f.read()
    pcm.frombytes(data[:len(data) // 4 * 4])
    return pcm


def peak(pcm, first_frame, end_frame):
    part = pcm[first_frame * 2:end_frame * 2]
    return max((abs(v) for v in part), default=0)


def sounding_frames(pcm, first_frame, end_frame):
    """Frames with any non-zero value in [first_frame, end_frame)."""
    return sum(1 for f in range(first_frame, min(end_frame, len(pcm) // 2))
               if pcm[f * 2] or pcm[f * 2 + 1])


def onset(pcm, first_frame=0):
    """First frame with a non-zero value from first_frame on, or None."""
    for i in range(first_frame * 2, len(pcm)):
        if pcm[i]:
            return i // 2
    return None


class SoundRun:
    """A game run whose sound goes to a raw file; marks are frame counts."""

    def __init__(self, xvfb, cfg=None):
        self.tmp = tempfile.mkdtemp(prefix="kvsound-")
        self.out = os.path.join(self.tmp, "out.raw")
        self.run = GameRun(xvfb, env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.out})
        self.cfg = cfg

    def __enter__(self):
        self.run.__enter__()
        if self.cfg is not None:
            with open(self.run.path("kv.cfg"), "wb") as f:
                f.write(self.cfg)
        self.run.start()
        self.run.wait_window()
        return self

    def __exit__(self, *exc):
        self.run.__exit__(*exc)
        shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def mark(self):
        """Frames written so far."""
        return os.path.getsize(self.out) // 4 if os.path.exists(self.out) else 0

    def wait(self, seconds):
        time.sleep(seconds)
        return self.mark()

    def wait_for_sound(self, first_frame, timeout=15.0):
        """First sounding frame from first_frame on, waiting for it to be
        written: entering play loads the level first, which takes a while on
        a loaded machine or a sanitizer build."""
        deadline = time.monotonic() + timeout
        while True:
            found = onset(self.pcm(), first_frame) if os.path.exists(self.out) else None
            if found is not None or time.monotonic() > deadline:
                return found
            time.sleep(0.05)

    def play_debug_bypass(self):
        """Down to "DEBUG BYPASS" and Enter: straight into play. Each key is
        held until a drawn frame proves the game has seen it."""
        keys(self.run, "Down", "Return")

    def quit(self):
        """Esc from play to the title, Esc again to leave; returns the exit code."""
        keys(self.run, "Escape")
        return key_to_exit(self.run, "Escape")

    def pcm(self):
        return read_pcm(self.out)


@unittest.skipUnless(HAVE_GAME, "the game folder has no sounds yet")
class SoundTest(XvfbTestCase):

    def test_title_is_silent_until_a_menu_move_sounds(self):
        with SoundRun(self.xvfb) as s:
            before = s.wait(0.5)
            keys(s.run, "Down")
            after = s.wait(0.6)
            self.assertEqual(key_to_exit(s.run, "Escape"), 0)
            pcm = s.pcm()
        # Half a second of title screen at least, and not a single non-zero value.
        self.assertGreater(before, RATE // 4)
        self.assertEqual(peak(pcm, 0, before), 0)
        moved = peak(pcm, before, after)
        print("menu move peak", moved)
        self.assertGreater(moved, AUDIBLE)

    def test_play_starts_the_music_and_keeps_it_going(self):
        # Effects at 0: only the music is heard, at level 10 (250 of 255).
        cfg = b"FULLSCREEN=0\r\nMUSIC=10\r\nSFX=0\r\nSWAPP1=0"
        with SoundRun(self.xvfb, cfg) as s:
            before = s.wait(0.2)
            s.play_debug_bypass()
            # With the samples silent the first sound is the music's start.
            first = s.wait_for_sound(before)
            self.assertIsNotNone(first, "no music")
            end = s.wait(1.6)
            self.assertEqual(s.quit(), 0)
            pcm = s.pcm()
        self.assertEqual(peak(pcm, 0, before), 0)
        start = first + RATE // 10
        self.assertGreater(end - start, RATE, "the music started late")
        windows = [peak(pcm, f, f + RATE // 20) for f in range(start, end - RATE // 20, RATE // 20)]
        print("music 50 ms peaks: min %d max %d over %d windows" % (min(windows), max(windows), len(windows)))
        self.assertGreater(min(windows), MUSIC_FLOOR, "a gap in the music")
        self.assertGreater(max(windows), 5 * MUSIC_FLOOR)
        self.assert_matches_the_track(pcm, start, end)

    def assert_matches_the_track(self, pcm, start, end):
        """The music heard is the track itself from its first frame, unbroken:
        being asked to play every frame never restarts or skips it."""
        oggdec = shutil.which("oggdec")
        if not oggdec:
            return
        with tempfile.TemporaryDirectory() as tmp:
            ref_path = os.path.join(tmp, "ref.raw")
            subprocess.run([oggdec, "-Q", "-R", "-o", ref_path, os.path.join(GAME_DIR, "data", "delay2.ogg")],
                           check=True)
            ref = read_pcm(ref_path)
        first = onset(pcm)
        ref_first = onset(ref)

        def mismatch(shift):
            worst = 0
            for f in range(first, end):
                r = ref_first + (f - first) + shift
                expected = ref[r * 2] * 250 / 255
                worst = max(worst, abs(pcm[f * 2] - expected))
                if worst > 50:
                    break
            return worst

        # oggdec and the game round the decoder's floats differently: a few units.
        best = min(mismatch(shift) for shift in range(-3, 4))
        print("largest difference to the track over %d frames: %.1f" % (end - first, best))
        self.assertLess(best, 8)

    def test_music_level_zero_keeps_the_music_silent_but_not_the_samples(self):
        cfg = b"FULLSCREEN=0\r\nMUSIC=0\r\nSFX=10\r\nSWAPP1=0"
        with SoundRun(self.xvfb, cfg) as s:
            before = s.wait(0.3)
            keys(s.run, "Down")
            moved = s.wait(0.6)
            keys(s.run, "Return")  # "DEBUG BYPASS": the music starts, at level 0
            s.wait(1.8)
            keys(s.run, "Escape")  # back to the title, the music plays on
            back = s.wait(0.3)
            keys(s.run, "Down")
            moved_again = s.wait(0.6)
            self.assertEqual(key_to_exit(s.run, "Escape"), 0)
            pcm = s.pcm()
        first = peak(pcm, before, moved)
        second = peak(pcm, back, moved_again)
        print("menu move peaks with music at 0: %d before play, %d after" % (first, second))
        self.assertGreater(first, AUDIBLE)
        self.assertGreater(second, AUDIBLE)
        # Between the move and the return to the title only the menu samples
        # sound (under 0.9 s together); music at any level would fill the
        # whole two seconds and more.
        self.assertGreater(back - moved, 2 * RATE)
        heard = sounding_frames(pcm, moved, back)
        print("frames sounding while the music played at level 0:", heard)
        self.assertLess(heard, RATE)

    def test_huge_music_level_in_the_settings_plays_at_full_volume(self):
        # Effects at 0, so that whatever is heard is the music.
        cfg = b"FULLSCREEN=0\r\nMUSIC=2000000000\r\nSFX=0\r\nSWAPP1=0"
        with SoundRun(self.xvfb, cfg) as s:
            s.play_debug_bypass()
            first = s.wait_for_sound(0)
            self.assertIsNotNone(first, "no music")
            end = s.wait(1.0)
            self.assertIsNone(s.run.proc.poll(), "the game ended")
            self.assertEqual(s.quit(), 0)
            pcm = s.pcm()
        loud = peak(pcm, first, end)
        print("music peak at level 2000000000:", loud)
        self.assertGreater(loud, AUDIBLE)


if __name__ == "__main__":
    unittest.main(verbosity=2)
