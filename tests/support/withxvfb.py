#!/usr/bin/python3
"""Run a command under a private Xvfb on a free display, then stop the server.

Usage: withxvfb.py COMMAND [ARGS...]
The exit code is the command's. Used by CTest for the device tests so they
never depend on a display being present.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kvharness import Xvfb  # noqa: E402


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with Xvfb() as xvfb:
        env = dict(os.environ)
        env["DISPLAY"] = xvfb.display
        return subprocess.call(sys.argv[1:], env=env)


if __name__ == "__main__":
    sys.exit(main())
