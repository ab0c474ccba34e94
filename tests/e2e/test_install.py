#!/usr/bin/python3
"""cmake --install into a throwaway DESTDIR and a prefix of its own: every file is there, the
desktop entry and the AppStream metadata validate, the manual page renders without warnings,
and the installed program runs, finds its pictures under its prefix and says so when one is
missing (drawing a stand-in, which the view tests check, instead of stopping)."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

BUILD, CORPUS = sys.argv.pop(1), sys.argv.pop(1)
PREFIX = "/opt/lullwick"
SCENE = "p01_double_040_quiet"
PICTURES = ["mascot-alert", "mascot-sleepy", "mascot-asleep", "mascot-skeptical",
            "onboarding-hero"]
HICOLOR = "share/icons/hicolor"
EXPECTED = {
    "bin/lullwick",
    *(f"share/lullwick/{name}.png" for name in PICTURES),
    f"{HICOLOR}/48x48/apps/org.lullwick.Lullwick.png",
    f"{HICOLOR}/128x128/apps/org.lullwick.Lullwick.png",
    f"{HICOLOR}/scalable/apps/org.lullwick.Lullwick.svg",
    f"{HICOLOR}/symbolic/apps/org.lullwick.Lullwick-listening-symbolic.svg",
    f"{HICOLOR}/symbolic/apps/org.lullwick.Lullwick-paused-symbolic.svg",
    "share/applications/org.lullwick.Lullwick.desktop",
    "share/metainfo/org.lullwick.Lullwick.metainfo.xml",
    "share/man/man1/lullwick.1",
    "share/doc/lullwick/LICENSE",
    "share/doc/lullwick/CHANGELOG.md",
}


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", header[16:24])


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.destdir = tempfile.TemporaryDirectory()
        env = dict(os.environ, DESTDIR=cls.destdir.name)
        subprocess.run(["cmake", "--install", BUILD, "--prefix", PREFIX], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        cls.root = cls.destdir.name + PREFIX

    @classmethod
    def tearDownClass(cls):
        cls.destdir.cleanup()

    def path(self, relative):
        return os.path.join(self.root, relative)

    def check_quiet(self, command):
        result = subprocess.run(command, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return result

    def test_every_file_and_nothing_else(self):
        found = set()
        for folder, _, files in os.walk(self.destdir.name):
            for name in files:
                found.add(os.path.relpath(os.path.join(folder, name), self.root))
        self.assertEqual(found, EXPECTED)
        self.assertTrue(os.access(self.path("bin/lullwick"), os.X_OK))
        for size in (48, 128):
            self.assertEqual(png_size(self.path(
                f"{HICOLOR}/{size}x{size}/apps/org.lullwick.Lullwick.png")), (size, size))

    def test_desktop_entry_and_metadata_validate(self):
        result = self.check_quiet(["desktop-file-validate",
                                   self.path("share/applications/org.lullwick.Lullwick.desktop")])
        self.assertEqual(result.stdout + result.stderr, "")
        result = self.check_quiet(["appstreamcli", "validate", "--no-net", "--pedantic",
                                   self.path("share/metainfo/org.lullwick.Lullwick.metainfo.xml")])
        # Pedantic remarks are allowed; warnings and errors are not.
        problems = [line for line in result.stdout.splitlines() if line[:2] in ("W:", "E:")]
        self.assertEqual(problems, [], result.stdout)

    def test_manual_page_renders_without_warnings(self):
        result = self.check_quiet(["groff", "-ww", "-man", "-Tutf8", "-z",
                                   self.path("share/man/man1/lullwick.1")])
        self.assertEqual(result.stderr, "")
        env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
        result = subprocess.run(["man", "--warnings=w", "-l", self.path("share/man/man1/lullwick.1")],
                                env=env, capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertIn("EXIT STATUS", result.stdout)

    def test_installed_program_runs_headless_commands(self):
        result = self.check_quiet([self.path("bin/lullwick"), "--version"])
        self.assertRegex(result.stdout, r"^lullwick \d+\.\d+\.\d+\n$")
        result = self.check_quiet([self.path("bin/lullwick"), "analyze",
                                   os.path.join(CORPUS, SCENE + ".wav")])
        with open(os.path.join(CORPUS, SCENE + ".medium.expected")) as f:
            self.assertEqual(result.stdout, f.read())

    def test_pictures_found_under_the_prefix_and_a_missing_one_reported(self):
        pictures = self.path("share/lullwick")
        self.assertEqual(self.tray_start_report(), [])
        moved = os.path.join(self.destdir.name, "mascot-alert.png")
        shutil.move(os.path.join(pictures, "mascot-alert.png"), moved)
        try:
            self.assertEqual(self.tray_start_report(), [
                f"Lullwick: picture {pictures}/mascot-alert.png is missing; a stand-in is drawn."])
        finally:
            shutil.move(moved, os.path.join(pictures, "mascot-alert.png"))

    def tray_start_report(self):
        """Starts the installed tray application offscreen; returns its lines about pictures,
        which it writes before it takes its lock, and checks that it keeps running."""
        with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as runtime, \
                tempfile.TemporaryFile("w+") as err:
            os.chmod(runtime, 0o700)
            env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(home, "config"),
                       XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen",
                       DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/session",
                       DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/system")
            child = subprocess.Popen([self.path("bin/lullwick"), "--sleep-command", "/bin/true"],
                                     env=env, stdout=subprocess.DEVNULL, stderr=err)
            try:
                lock = os.path.join(runtime, f"lullwick-{os.getuid()}.lock")
                deadline = time.monotonic() + 20
                while not os.path.exists(lock) and child.poll() is None \
                        and time.monotonic() < deadline:
                    time.sleep(0.05)
                self.assertTrue(os.path.exists(lock), "the tray application did not start")
                self.assertIsNone(child.poll(), "the tray application ended")
            finally:
                child.kill()
                child.wait()
            err.seek(0)
            return [line.rstrip("\n") for line in err if "picture" in line]


if __name__ == "__main__":
    unittest.main(verbosity=2)
