#!/usr/bin/python3
"""Fault injection: breaks the shipped game folder one way at a time and
checks that the game copes.

For every file of the game folder in turn the file is (a) deleted, (b) cut
to half its length, (c) replaced by random bytes of the same length; then
come the settings and screenshot cases (kv.cfg as a folder, as a 10 MB file,
as binary garbage, unreadable; screenshot.png as a folder; a game folder that
cannot be written). The pictures and sprite files of the second look of
the first player (names beginning with p2 or fs under gfx/player) are only
read when the settings choose that look, so their cases start with a kv.cfg
that does. Each case starts the game in a fresh copy of the folder,
goes through the title into "DEBUG BYPASS" play for a few seconds of random
keys (F2 included), back to the title and out with Esc, Esc.

A case passes when the game either ends on its own with exit code 1 and a
message of its own, or keeps running and the two Esc end it with code 0.
Anything else is a finding: a crash (signal), a hang, a sanitizer report, an
out-of-memory kill, or another exit code.

    tools/play/faults.py                      every case, sanitizer build
    tools/play/faults.py --sample 5           one settings case and 5 file
                                              cases, picked by a seed that
                                              changes every run (CI)
    tools/play/faults.py --only garble:gfx/bg.jpg   one case again

Exit code 0 when no case had a finding. Run as root, the unreadable-file and
unwritable-folder cases run the game as user nobody (root reads anything).
"""
import argparse
import json
import os
import random
import shutil
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

from kvharness import SUPPRESSIONS, GameRun, Xvfb  # noqa: E402
from kvprobe import Probe, peak_rss_kb, sanitizer_report, symbol_offsets  # noqa: E402
from kvdrive import (PLAY_KEYS, back_to_title, enter_debug_play, exit_from_title,  # noqa: E402
                     hold_until, random_keys, walk_menu)

FILE_FAULTS = ("delete", "truncate", "garble")
SETTINGS_FAULTS = ("cfg-folder", "cfg-10mb", "cfg-garbage", "cfg-unreadable", "shot-folder",
                   "folder-readonly")
# Cases that must run as another user when the tool runs as root.
AS_NOBODY = ("cfg-unreadable", "folder-readonly")
PASSING = ("played", "own-exit")


def all_cases(game_dir):
    files = []
    for top, dirs, names in os.walk(game_dir):
        dirs.sort()
        for name in sorted(names):
            files.append(os.path.relpath(os.path.join(top, name), game_dir))
    cases = ["%s:%s" % (fault, rel) for rel in files for fault in FILE_FAULTS]
    return cases + list(SETTINGS_FAULTS)


def second_look(rel):
    """True for a file that only the first player's second look loads."""
    parts = rel.split("/")
    return parts[:2] == ["gfx", "player"] and parts[-1].startswith(("p2", "fs"))


def apply_fault(case, game):
    """Breaks the copied game folder (game.game) as case says."""
    fault, _, rel = case.partition(":")
    path = game.path(rel) if rel else None
    if rel and second_look(rel):
        with open(game.path("kv.cfg"), "wb") as f:
            f.write(b"FULLSCREEN=0\r\nMUSIC=128\r\nSFX=128\r\nSWAPP1=1")
    # The same bytes every time for the same case, so a finding repeats.
    rng = random.Random(case)
    if fault == "delete":
        os.remove(path)
    elif fault == "truncate":
        size = os.path.getsize(path)
        with open(path, "r+b") as f:
            f.truncate(size // 2)
    elif fault == "garble":
        size = os.path.getsize(path)
        with open(path, "wb") as f:
            f.write(bytes(rng.getrandbits(8) for _ in range(size)))
    elif fault == "cfg-folder":
        os.mkdir(game.path("kv.cfg"))
    elif fault == "cfg-10mb":
        with open(game.path("kv.cfg"), "wb") as f:
            f.write(b"FULLSCREEN=0\r\nMUSIC=3\r\n" + b"SFX=1234567" * (10 * 1024 * 1024 // 11))
    elif fault == "cfg-garbage":
        with open(game.path("kv.cfg"), "wb") as f:
            f.write(bytes(rng.getrandbits(8) for _ in range(4096)))
    elif fault == "cfg-unreadable":
        with open(game.path("kv.cfg"), "wb") as f:
            f.write(b"FULLSCREEN=1\r\nMUSIC=3\r\nSFX=4\r\nSWAPP1=1")
        os.chmod(game.path("kv.cfg"), 0)
    elif fault == "shot-folder":
        os.mkdir(game.path("screenshot.png"))
    elif fault == "folder-readonly":
        os.chmod(game.game, 0o555)
    else:
        raise ValueError("unknown case " + case)


def classify_end(code, game, during):
    """Outcome of a game that ended on its own (not by our Esc, Esc)."""
    report = sanitizer_report(game.stderr)
    if report:
        return "sanitizer", report
    if code == -9:
        return "oom-kill", "killed by SIGKILL " + during
    if code < 0:
        return "crash", "signal %d %s" % (-code, during)
    message = (game.stdout + game.stderr).strip()
    if code == 1 and message:
        last = message.splitlines()[-1].decode(errors="replace")
        return "own-exit", "code 1 %s: %s" % (during, last[:100])
    return "bad-exit", "code %d %s, output %r" % (code, during, message[-200:])


def run_case(xvfb, binary, game_dir, offsets, case, play_seconds, seed):
    started = time.time()
    result = {"case": case}
    with GameRun(xvfb, game_dir=game_dir) as g:
        apply_fault(case, g)
        if case in AS_NOBODY and os.geteuid() == 0:
            # nobody may not reach the build folder (CI clones into a private
            # one): the binary and the leak suppressions come along.
            os.chmod(g.workdir, 0o755)
            g.binary = os.path.join(g.workdir, "kelvantis")
            shutil.copy2(binary, g.binary)
            supp = os.path.join(g.workdir, "lsan.supp")
            shutil.copy2(SUPPRESSIONS, supp)
            g.extra_env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + supp
            g.prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        g.start()
        outcome = detail = None
        try:
            g.wait_window(timeout=60)
        except RuntimeError:
            if g.proc.poll() is None:
                outcome, detail = "hang", "no window within 60 s"
            else:
                g.wait_exit()
                outcome, detail = classify_end(g.returncode, g, "at start-up")
        if outcome is None:
            probe = Probe(g.proc.pid, g.binary, offsets)
            rng = random.Random("%s/%s" % (seed, case))
            if not enter_debug_play(g, probe):
                if g.proc.poll() is None:
                    outcome, detail = "hang", "never reached play from the title"
                else:
                    g.wait_exit()
                    outcome, detail = classify_end(g.returncode, g, "before play")
            else:
                keys = PLAY_KEYS + ["F2"]
                random_keys(g, play_seconds, rng, keys)
                result["peak_mb"] = round((peak_rss_kb(g.proc.pid) or 0) / 1024)
                if g.proc.poll() is None and case.startswith(("cfg-", "folder-")):
                    save_options(g, probe)
                if g.proc.poll() is None and not back_to_title(g, probe):
                    if g.proc.poll() is None:
                        outcome, detail = "hang", "Esc did not lead back to the title"
            if outcome is None and g.proc.poll() is None:
                code = exit_from_title(g)
                if code is None:
                    outcome, detail = "hang", "Esc on the title did not end the game"
                else:
                    g.wait_exit()
                    report = sanitizer_report(g.stderr)
                    if report:
                        outcome, detail = "sanitizer", report
                    elif code == 0:
                        said = [line for line in said_lines(g) if line != "ERROR opening file kv.cfg"]
                        outcome, detail = "played", "Esc, Esc ended it with 0; said %r" % (
                            said[0][:80] if said else "")
                    else:
                        outcome, detail = classify_end(code, g, "after Esc, Esc")
            elif outcome is None:
                g.wait_exit()
                outcome, detail = classify_end(g.returncode, g, "during play")
            probe.close()
        if outcome == "hang":
            g.kill()
        result.update(outcome=outcome, detail=detail, seconds=round(time.time() - started, 1),
                      said=said_lines(g))
        if outcome not in PASSING:
            result["stderr"] = g.stderr[-3000:].decode(errors="replace")
            result["stdout"] = g.stdout[-1000:].decode(errors="replace")
        # The copy may have been made read-only; give it back for removal.
        os.chmod(g.game, 0o755)
    return result


def said_lines(game):
    """The distinct lines the game wrote, in order, less the position line
    that debug play prints every tick (cut off too where it follows a message
    printed without a line end)."""
    seen = []
    for line in (game.stdout + b"\n" + game.stderr).splitlines():
        text = line.decode(errors="replace").split("xpos: ")[0].strip()[:160]
        if text and text not in seen:
            seen.append(text)
        if len(seen) >= 12:
            break
    return seen


def save_options(game, probe):
    """Title, "Options", then its "Return" entry, which saves kv.cfg."""
    if not back_to_title(game, probe):
        return
    if not walk_menu(game, probe, "Down", 2):
        return
    hold_until(game, probe, "Return", lambda v: v["menuItem"] == 5, 5.0)
    hold_until(game, probe, "Up", lambda v: v["menuItem"] == 10, 5.0)
    hold_until(game, probe, "Return", lambda v: v["menuItem"] == 0, 5.0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-asan"),
                        help="build folder with kelvantis and game/ (default build-asan)")
    parser.add_argument("--sample", type=int, default=0,
                        help="run one settings case and this many file cases, picked by --seed")
    parser.add_argument("--seed", type=int, default=None, help="seed of the sample and of the keys")
    parser.add_argument("--only", action="append", default=[], help="run this case (repeatable)")
    parser.add_argument("--play-seconds", type=float, default=3.0)
    parser.add_argument("--jobs", type=int, default=1, help="games run side by side, each on its own X server")
    parser.add_argument("--report", help="write every result to this JSON file")
    args = parser.parse_args()

    binary = os.path.join(args.build, "kelvantis")
    game_dir = os.path.join(args.build, "game")
    offsets = symbol_offsets(binary)
    os.environ["KV_BINARY"] = binary
    os.environ["KV_GAME_DIR"] = game_dir
    seed = args.seed if args.seed is not None else int(time.time())
    cases = all_cases(game_dir)
    if args.only:
        cases = args.only
    elif args.sample:
        rng = random.Random(seed)
        files = [c for c in cases if ":" in c]
        cases = [rng.choice(SETTINGS_FAULTS)] + rng.sample(files, min(args.sample, len(files)))
    print("fault injection: %d cases on %s, seed %d" % (len(cases), binary, seed), flush=True)

    results = []
    lock = threading.Lock()
    pending = list(enumerate(cases))

    def worker():
        with Xvfb() as xvfb:
            while True:
                with lock:
                    if not pending:
                        return
                    index, case = pending.pop(0)
                try:
                    result = run_case(xvfb, binary, game_dir, offsets, case, args.play_seconds, seed)
                except Exception as e:  # the tool's own trouble, kept apart from the game's
                    result = {"case": case, "outcome": "tool-error", "detail": repr(e), "seconds": 0}
                with lock:
                    results.append(result)
                    print("[%d/%d] %s: %s (%s) %.1f s" % (len(results), len(cases), case,
                          result["outcome"], result["detail"], result["seconds"]), flush=True)

    started = time.time()
    threads = [threading.Thread(target=worker) for _ in range(max(1, args.jobs))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    counts = {}
    for r in results:
        counts[r["outcome"]] = counts.get(r["outcome"], 0) + 1
    findings = [r for r in results if r["outcome"] not in PASSING]
    peaks = [r["peak_mb"] for r in results if "peak_mb" in r]
    print("fault injection: %d cases in %.0f s: %s; largest peak memory %s MB; %d findings" % (
        len(results), time.time() - started,
        ", ".join("%s %d" % kv for kv in sorted(counts.items())),
        max(peaks) if peaks else "-", len(findings)))
    # What the game said, by line, over all cases (a line said in every
    # case, such as the missing kv.cfg of a fresh folder, shows as such).
    lines = {}
    for r in results:
        for line in r.get("said", []):
            lines.setdefault(line, []).append(r["outcome"])
    for line, outcomes in sorted(lines.items(), key=lambda kv: -len(kv[1])):
        print("said in %d cases (%s): %s" % (len(outcomes), ", ".join(
            "%s %d" % (o, outcomes.count(o)) for o in sorted(set(outcomes))), line))
    for r in findings:
        print("FINDING %s: %s %s\n%s" % (r["case"], r["outcome"], r["detail"], r.get("stderr", "")[-1500:]))
    if args.report:
        with open(args.report, "w") as f:
            json.dump({"seed": seed, "results": sorted(results, key=lambda r: r["case"])}, f, indent=1)
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
