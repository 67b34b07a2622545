"""tools/checkLayers.py reports exactly the includes that point up a layer."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "checkLayers.py")


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def run(root):
    r = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
    return r.returncode, [l for l in r.stdout.splitlines() if ": " in l]


class CheckLayersTest(unittest.TestCase):

    def test_upward_includes_are_reported_and_downward_ones_pass(self):
        with tempfile.TemporaryDirectory() as src:
            # Allowed: own folder, a lower layer, a system header, the known exception.
            write(src, "core/gameClock.h", "#pragma once\n#include <climits>\n")
            write(src, "graphics/anim.cpp", '#include "graphics/anim.h"\n#include "core/gameClock.h"\n')
            write(src, "graphics/anim.h", "#pragma once\n#include <GL/gl.h>\n")
            write(src, "world/map.cpp", '#include "map.h"\n#include "graphics/anim.h"\n')
            write(src, "world/map.h", "#pragma once\n")
            write(src, "input/input.cpp", '#include "actors/player.h"\n')
            write(src, "actors/player.h", '#pragma once\n#include "world/map.h"\n')
            write(src, "shell/states.h", '#pragma once\n#include "actors/player.h"\n')
            code, lines = run(src)
            self.assertEqual((code, lines), (0, []))

            # Up a layer, in the three spellings an include can take.
            write(src, "core/gameClock.h", '#pragma once\n#include <graphics/anim.h>\n')
            write(src, "graphics/anim.cpp", '#include "graphics/anim.h"\n#include "shell/states.h"\n')
            write(src, "world/map.h", '#pragma once\n\n #  include "../actors/player.h"\n')
            code, lines = run(src)
            self.assertEqual(code, 1)
            self.assertEqual(lines, [
                "core/gameClock.h:2: core/ includes graphics/anim.h",
                "graphics/anim.cpp:2: graphics/ includes shell/states.h",
                "world/map.h:3: world/ includes ../actors/player.h",
            ])

    def test_an_unplaced_folder_and_a_stale_exception_fail(self):
        with tempfile.TemporaryDirectory() as src:
            write(src, "input/input.cpp", '#include "input/input.h"\n')
            write(src, "input/input.h", "#pragma once\n")
            write(src, "net/socket.cpp", "\n")
            code, lines = run(src)
            self.assertEqual(code, 1)
            self.assertEqual(lines, [
                "net/: folder has no layer in tools/checkLayers.py",
                "input/input.cpp: no longer includes actors/player.h; remove it from KNOWN",
            ])


if __name__ == "__main__":
    unittest.main()
