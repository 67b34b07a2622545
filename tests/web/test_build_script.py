"""tools/web/build.sh's choice of source packages and its rule for building
a library again, run in bash with the script sourced and apt-cache,
dpkg-query, the download and the build steps replaced by small fakes.

Run: /usr/bin/python3 tests/web/test_build_script.py"""
import os
import shutil
import subprocess
import tempfile
import textwrap
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "tools", "web", "build.sh")


class BuildScriptTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kvweb-buildsh-")
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def write(self, name, text):
        path = os.path.join(self.tmp, name)
        with open(path, "w") as f:
            f.write(textwrap.dedent(text))
        return path

    def bash(self, script):
        """Runs script after sourcing build.sh; returns (exit code, stdout, stderr)."""
        r = subprocess.run(["bash", "-c", 'source "$BUILD"\n' + textwrap.dedent(script)],
                           env=dict(os.environ, BUILD=BUILD, T=self.tmp), capture_output=True, text=True)
        return r.returncode, r.stdout, r.stderr

    def test_sources_are_the_releases_own_debian_entries_checked_with_debians_key(self):
        self.write("os-release", 'NAME="Debian GNU/Linux"\nVERSION_CODENAME=bookworm\n')
        self.write("sources.list", """\
            # a comment
            deb http://deb.debian.org/debian bookworm main contrib
            deb [arch=amd64 trusted=yes] http://security.debian.org/debian-security bookworm-security main
            deb-src http://third.example/debian bookworm main
            deb http://deb.debian.org/debian bullseye main
            """)
        self.write("debian.sources", """\
            Types: deb deb-src
            URIs: http://ftp.example.org/debian
            Suites: bookworm bookworm-updates bookworm-backports
            Components: main
            Signed-By:
             -----BEGIN PGP PUBLIC KEY BLOCK-----
             .
             -----END PGP PUBLIC KEY BLOCK-----

            Types: deb
            Enabled: no
            URIs: http://off.example/debian
            Suites: bookworm
            """)
        code, out, err = self.bash("""\
            write_sources "$T/apt" "$(release_name "$T/os-release")" /k.gpg "$T/sources.list" "$T/debian.sources"
            cat "$T/apt/sources.list"; echo ==; cat "$T/apt/sources.list.d/debian-src.sources"
            """)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, textwrap.dedent("""\
            deb-src [signed-by=/k.gpg] http://deb.debian.org/debian bookworm main contrib
            deb-src [signed-by=/k.gpg] http://security.debian.org/debian-security bookworm-security main
            ==
            Types: deb-src
            URIs: http://ftp.example.org/debian
            Suites: bookworm bookworm-updates
            Components: main
            Signed-By: /k.gpg

            """))
        # Nothing of this release, or no release named: a clear failure.
        self.write("os-release-sid", 'NAME="Debian GNU/Linux"\n')
        code, _, err = self.bash('write_sources "$T/apt" trixie /k.gpg "$T/sources.list" "$T/none"')
        self.assertNotEqual(code, 0)
        self.assertIn("no deb entry for Debian trixie", err)
        code, _, err = self.bash('release_name "$T/os-release-sid"')
        self.assertNotEqual(code, 0)
        self.assertIn("names no release", err)

    def test_the_installed_version_is_fetched_where_the_archive_has_it_else_the_newest(self):
        self.write("showsrc", """\
            Package: zlib
            Version: 1:1.2.13.dfsg-1

            Package: zlib
            Version: 1:1.2.13.dfsg-1+deb12u1

            Package: zlib
            Version: 1:1.2.11.dfsg-4

            Package: zlib-other
            Version: 9:9
            """)
        code, out, err = self.bash("""\
            apt-cache() { cat "$T/showsrc"; }
            choose_version zlib 1:1.2.13.dfsg-1
            choose_version zlib 1:1.2.12.dfsg-2
            choose_version zlib ""
            """)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out.split(), ["1:1.2.13.dfsg-1", "1:1.2.13.dfsg-1+deb12u1", "1:1.2.13.dfsg-1+deb12u1"])
        code, _, err = self.bash('apt-cache() { cat "$T/showsrc"; }\nchoose_version libogg 1.3.5-3')
        self.assertNotEqual(code, 0)
        self.assertIn("no source package libogg", err)

    def test_a_library_is_built_again_when_the_compiler_or_the_installed_version_changes(self):
        def build(compiler, installed, fail=False):
            return self.bash("""\
                stamps=$T/stamps
                prepare_apt() { :; }
                apt-cache() { printf 'Package: fake\\nVersion: 1.0-1\\n\\nPackage: fake\\nVersion: 1.0-2\\n'; }
                dpkg-query() { echo "installed %s"; }
                fetch_source() { echo "$T/fake-$2"; }
                steps_fake() { echo "${1##*/}" >>"$T/log"; [ %s = 0 ]; }
                compiler="%s"
                build_library fake fake-dev steps_fake
                """ % (installed, int(fail), compiler))

        runs = [build("emcc 3.1.6", "1.0-1"), build("emcc 3.1.6", "1.0-1"),
                build("emcc 3.1.7", "1.0-1"), build("emcc 3.1.7", "1.0-2"),
                build("emcc 3.1.7", "1.0-3", fail=True), build("emcc 3.1.7", "1.0-3")]
        self.assertEqual([code for code, _, _ in runs], [0, 0, 0, 0, 1, 0], runs[-1][2])
        with open(os.path.join(self.tmp, "log")) as f:
            log = f.read().split()
        # The archive lacks 1.0-3: its newest, 1.0-2, is built instead, and
        # again after the failed build, which left no stamp.
        self.assertEqual(log, ["fake-1.0-1", "fake-1.0-1", "fake-1.0-2", "fake-1.0-2", "fake-1.0-2"])
        self.assertIn("building source version 1.0-2 (installed fake-dev: 1.0-3) with emcc 3.1.7", runs[5][2])
        self.assertIn("up to date, built from fake 1.0-1", runs[1][2])


if __name__ == "__main__":
    unittest.main()
