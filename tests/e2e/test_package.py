"""The Debian package that cpack builds: its name, control fields, file list,
computed Depends line, desktop entry and icons."""
import glob
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from PIL import Image

BUILD_DIR = os.environ.get("KV_BUILD_DIR", "")
GAME_DIR = os.environ.get("KV_GAME_DIR", "")
HAVE_GAME = os.path.exists(os.path.join(GAME_DIR, "gfx", "fonts", "glFont.bmp"))


def output(*argv):
    return subprocess.run(argv, check=True, capture_output=True, text=True).stdout


def package_of(library):
    """The installed Debian package that holds a library path, or None. With
    merged /usr a library may be registered under /lib or /usr/lib."""
    candidates = [library]
    if library.startswith("/usr/"):
        candidates.append(library[len("/usr"):])
    else:
        candidates.append("/usr" + library)
    for path in candidates:
        res = subprocess.run(["dpkg", "-S", path], capture_output=True, text=True)
        if res.returncode == 0:
            return res.stdout.split(":")[0]
    return None


@unittest.skipUnless(HAVE_GAME, "the game folder has no font yet")
class PackageTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="kvpackage-")
        subprocess.run(["cpack", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"), "-B", cls.tmp],
                       check=True, stdout=subprocess.DEVNULL)
        debs = glob.glob(os.path.join(cls.tmp, "*.deb"))
        assert len(debs) == 1, debs
        cls.deb = debs[0]
        cls.root = os.path.join(cls.tmp, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)
        cls.fields = {}
        for name in ("Package", "Version", "Architecture", "Section", "Depends", "Description"):
            cls.fields[name] = output("dpkg-deb", "-f", cls.deb, name).strip()
        # "drwxr-xr-x root/root 0 2024-01-01 00:00 ./usr/" per entry.
        cls.entries = {}
        for line in output("dpkg-deb", "-c", cls.deb).splitlines():
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            cls.entries[path.split(" -> ")[0]] = (mode, owner)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_name_and_control_fields(self):
        arch = output("dpkg", "--print-architecture").strip()
        with open(os.path.join(BUILD_DIR, "CMakeCache.txt")) as f:
            version = re.search(r"^CMAKE_PROJECT_VERSION:\w+=(.*)$", f.read(), re.M).group(1)
        self.assertEqual(os.path.basename(self.deb), "kelvantis_%s_%s.deb" % (version, arch))
        self.assertEqual((self.fields["Package"], self.fields["Version"], self.fields["Architecture"],
                          self.fields["Section"]), ("kelvantis", version, arch, "games"))
        summary, _, long_text = self.fields["Description"].partition("\n")
        self.assertTrue(summary and long_text.strip(), self.fields["Description"])

    def test_files_are_the_game_its_data_and_the_desktop_files_owned_by_root(self):
        data = "./usr/share/games/kelvantis/"
        expected = {
            "./usr/games/kelvantis": "-rwxr-xr-x",
            "./usr/lib/games/kelvantis/kelvantis": "-rwxr-xr-x",
            "./usr/share/applications/kelvantis.desktop": "-rw-r--r--",
            "./usr/share/man/man6/kelvantis.6.gz": "-rw-r--r--",
        }
        for size in (32, 48, 64, 128, 256):
            expected["./usr/share/icons/hicolor/%dx%d/apps/kelvantis.png" % (size, size)] = "-rw-r--r--"
        # The game data is whatever the generator wrote into gfx/ and data/,
        # and nothing else a run in the build folder may have left there.
        for top in ("gfx", "data"):
            for dirpath, _dirs, files in os.walk(os.path.join(GAME_DIR, top)):
                for name in files:
                    rel = os.path.relpath(os.path.join(dirpath, name), GAME_DIR)
                    expected[data + rel] = "-rw-r--r--"
        files = {path: mode for path, (mode, _owner) in self.entries.items() if not path.endswith("/")}
        self.assertEqual(files, expected)
        self.assertEqual({owner for _mode, owner in self.entries.values()}, {"root/root"})
        folders = {mode for path, (mode, _owner) in self.entries.items() if path.endswith("/")}
        self.assertEqual(folders, {"drwxr-xr-x"})

    def test_depends_names_the_package_of_every_library_the_game_links(self):
        depends = set()
        for clause in self.fields["Depends"].split(","):
            for alternative in clause.split("|"):
                depends.add(alternative.split("(")[0].strip())
        program = os.path.join(self.root, "usr/lib/games/kelvantis/kelvantis")
        needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.*)\]", output("readelf", "-d", program))
        resolved = dict(re.findall(r"^\s*(\S+) => (/\S+)", output("ldd", program), re.M))
        self.assertIn("libglut.so.3.12", needed)
        for soname in needed:
            package = package_of(resolved[soname])
            self.assertIsNotNone(package, soname)
            self.assertIn(package, depends, "%s (%s) is missing from Depends: %s"
                          % (soname, package, self.fields["Depends"]))

    def test_desktop_entry_validates_and_names_the_launcher_and_icon(self):
        entry = os.path.join(self.root, "usr/share/applications/kelvantis.desktop")
        res = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        self.assertEqual((res.returncode, res.stdout + res.stderr), (0, ""))
        with open(entry) as f:
            keys = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        self.assertEqual(keys["Exec"], "/usr/games/kelvantis")
        self.assertEqual(keys["Icon"], "kelvantis")
        # Each icon is the size its folder says, transparent in the corner
        # and solid in the middle.
        for size in (32, 48, 64, 128, 256):
            icon = Image.open(os.path.join(self.root, "usr/share/icons/hicolor/%dx%d/apps/kelvantis.png"
                                           % (size, size)))
            self.assertEqual((icon.size, icon.mode), ((size, size), "RGBA"))
            self.assertEqual(icon.getpixel((0, 0))[3], 0)
            self.assertEqual(icon.getpixel((size // 2, size // 2))[3], 255)


if __name__ == "__main__":
    unittest.main()
