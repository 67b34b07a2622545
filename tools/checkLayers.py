#!/usr/bin/env python3
"""Checks that the folders of src/ include only their own layer and those below.

    python3 tools/checkLayers.py [SRC_DIR]

Prints one line per include that points up (file:line: include) and exits 1
when there is any, 0 when there is none. A folder of src/ that the table
below does not place is an error too, so a new folder must be given a layer.
"""
import os
import re
import sys

# Folder -> the folders of ours its files may include (besides itself).
# Bottom to top; README.md ("For developers") shows the same picture.
ALLOWED = {
    "core": set(),
    "audio": {"core"},
    "graphics": {"core"},
    "input": {"core", "graphics"},
    "world": {"core", "graphics"},
    "actors": {"core", "audio", "graphics", "input", "world"},
    "shell": {"core", "audio", "graphics", "input", "world", "actors"},
}

# Upward includes that are known and waiting for a move, as (file, header).
# Each one must still exist: a stale entry fails the check, so the list can
# only shrink.
KNOWN = {
    # The switch latch is defined with the characters; the input callbacks
    # clear it when the switch button is released.
    ("input/input.cpp", "actors/player.h"),
}

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def target_folder(src, file_dir, header):
    """The folder of ours an include names, or None for a system header."""
    # "world/map.h" from anywhere, or "../shell/states.h" relative to the file.
    for base in (src, file_dir):
        path = os.path.normpath(os.path.join(base, header))
        rel = os.path.relpath(path, src)
        first = rel.split(os.sep)[0]
        if first in ALLOWED and os.path.exists(path):
            return first
    first = header.split("/")[0]
    return first if first in ALLOWED and "/" in header else None


def check(src):
    problems = []
    seen_known = set()
    for folder in sorted(os.listdir(src)):
        if not os.path.isdir(os.path.join(src, folder)):
            continue
        if folder not in ALLOWED:
            problems.append(f"{folder}/: folder has no layer in tools/checkLayers.py")
            continue
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".hpp", ".c", ".cpp")):
                    continue
                path = os.path.join(root, name)
                rel_file = os.path.relpath(path, src).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = target_folder(src, root, m.group(1))
                        if target is None or target == folder or target in ALLOWED[folder]:
                            continue
                        if (rel_file, m.group(1)) in KNOWN:
                            seen_known.add((rel_file, m.group(1)))
                            continue
                        problems.append(f"{rel_file}:{number}: {folder}/ includes {m.group(1)}")
    for file, header in sorted(KNOWN - seen_known):
        problems.append(f"{file}: no longer includes {header}; remove it from KNOWN")
    return problems


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    problems = check(os.path.abspath(src))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) against the layers")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
