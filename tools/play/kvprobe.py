"""Reads the game's own state variables out of a running game process.

The soak and fault tools need to know what the game is doing (which state it
is in, how many lives are left, how far the clock has run) without changing
the game to tell them. The variables are globals of the binary: their
addresses come from its symbol table (nm) plus the load address of the
running process (/proc/PID/maps), and their values from /proc/PID/mem, which
a parent may read of its child.
"""
import struct
import subprocess

# name: struct format of the variable
VARIABLES = {
    "GameState": "i",   # 0 title, 1 story, 3 playing, 4 dying, 5 game over, 6 exiting
    "menuItem": "i",    # selected menu entry
    "curTime": "f",     # game clock in ms
    "debugMode": "?",   # debug run (1 ms per tick)
    "stock": "i",       # lives
    "altActive": "?",   # the second character is in play
    "altTimeLeft": "i", # the second character's countdown, s
    "altX": "i",        # the second character's left edge, world px
    "player": "4i6?",   # the first player's record, its first fields (PLAYER_FIELDS)
}
# A variable whose format holds several fields is read as name.field.
FIELDS = {
    "player": ("xpos", "ypos", "width", "height", "inAir", "jumpLatch", "facingRight",
               "attacking", "attackLatch", "hurt"),
}


def symbol_offsets(binary):
    """Offsets of VARIABLES in the binary, from its symbol table."""
    out = subprocess.run(["nm", "--defined-only", binary], capture_output=True,
                         check=True, text=True).stdout
    offsets = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2] in VARIABLES:
            offsets[parts[2]] = int(parts[0], 16)
    missing = set(VARIABLES) - set(offsets)
    if missing:
        raise RuntimeError("%s has no symbol for %s" % (binary, ", ".join(sorted(missing))))
    return offsets


class Probe:
    """Reads VARIABLES of one running game process."""

    def __init__(self, pid, binary, offsets=None):
        self.pid = pid
        self.offsets = offsets or symbol_offsets(binary)
        self.base = None
        self.mem = None
        self.binary = binary

    def _open(self):
        real = subprocess.run(["readlink", "-f", self.binary], capture_output=True,
                              text=True).stdout.strip()
        with open("/proc/%d/maps" % self.pid) as maps:
            for line in maps:
                fields = line.split()
                # The first mapping of the executable starts at its load address.
                if len(fields) >= 6 and fields[5] == real and int(fields[2], 16) == 0:
                    self.base = int(fields[0].split("-")[0], 16)
                    break
        if self.base is None:
            raise RuntimeError("no mapping of %s in process %d" % (real, self.pid))
        self.mem = open("/proc/%d/mem" % self.pid, "rb", buffering=0)

    def read(self):
        """All VARIABLES as a dict, or None when the process has gone."""
        try:
            if self.mem is None:
                self._open()
            values = {}
            for name, fmt in VARIABLES.items():
                self.mem.seek(self.base + self.offsets[name])
                fields = struct.unpack(fmt, self.mem.read(struct.calcsize(fmt)))
                if name in FIELDS:
                    values.update(("%s.%s" % (name, f), x) for f, x in zip(FIELDS[name], fields))
                else:
                    values[name] = fields[0]
            return values
        except (OSError, ValueError, struct.error, RuntimeError):
            return None

    def close(self):
        if self.mem:
            self.mem.close()
            self.mem = None


def peak_rss_kb(pid):
    """VmHWM of a running process in kB, or None."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:",
                   b"SUMMARY: UndefinedBehaviorSanitizer", b"ERROR: UndefinedBehaviorSanitizer")


def sanitizer_report(stderr):
    """The first line of a sanitizer report in stderr, or None."""
    for line in stderr.splitlines():
        if any(mark in line for mark in SANITIZER_MARKS):
            return line.decode(errors="replace").strip()
    return None
