#!/usr/bin/python3
# cmake --install into a throwaway DESTDIR and a prefix of its own.
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from lullwick_e2e import start_headless, stop

BUILD = sys.argv[1]
PREFIX, ICONS, APP = "/opt/lullwick", "share/icons/hicolor", "org.lullwick.Lullwick"
EXPECTED = {"bin/lullwick", "share/man/man1/lullwick.1", "share/doc/lullwick/LICENSE",
            "share/doc/lullwick/CHANGELOG.md", f"share/applications/{APP}.desktop",
            f"share/metainfo/{APP}.metainfo.xml", f"{ICONS}/48x48/apps/{APP}.png",
            f"{ICONS}/128x128/apps/{APP}.png", f"{ICONS}/scalable/apps/{APP}.svg",
            f"{ICONS}/symbolic/apps/{APP}-listening-symbolic.svg",
            f"{ICONS}/symbolic/apps/{APP}-paused-symbolic.svg",
            *(f"share/lullwick/{n}.png" for n in ("mascot-alert", "mascot-sleepy", "mascot-asleep",
                                                  "mascot-skeptical", "onboarding-hero")),
            *(f"share/lullwick/translations/lullwick_{n}.qm" for n in ("de", "fr", "es"))}


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.destdir = cls.enterClassContext(tempfile.TemporaryDirectory())
        subprocess.run(["cmake", "--install", BUILD, "--prefix", PREFIX], check=True,
                       env=dict(os.environ, DESTDIR=cls.destdir), stdout=subprocess.DEVNULL)

    def path(self, relative):
        return os.path.join(self.destdir + PREFIX, relative)

    def run_quietly(self, *command, **env):
        result = subprocess.run(command, capture_output=True, text=True,
                                env=dict(os.environ, **env))
        self.assertEqual((result.returncode, result.stderr), (0, ""), command)
        return result.stdout

    def test_every_file_and_nothing_else(self):
        found = {os.path.relpath(os.path.join(folder, name), self.path(""))
                 for folder, _, files in os.walk(self.destdir) for name in files}
        self.assertEqual(found, EXPECTED)
        for size in (48, 128):
            with open(self.path(f"{ICONS}/{size}x{size}/apps/{APP}.png"), "rb") as f:
                self.assertEqual(struct.unpack(">8s8xII", f.read(24)),
                                 (b"\x89PNG\r\n\x1a\n", size, size))

    def test_desktop_entry_metadata_and_manual_page_validate(self):
        self.assertEqual(self.run_quietly(
            "desktop-file-validate", self.path(f"share/applications/{APP}.desktop")), "")
        # Translated, as the program is.
        with open(self.path(f"share/applications/{APP}.desktop"), encoding="utf-8") as f:
            self.assertIn("GenericName[de]=Standby per Klatschen\n", f.read())
        with open(self.path(f"share/metainfo/{APP}.metainfo.xml"), encoding="utf-8") as f:
            self.assertIn('<summary xml:lang="fr">', f.read())
        report = self.run_quietly("appstreamcli", "validate", "--no-net", "--pedantic",
                                  self.path(f"share/metainfo/{APP}.metainfo.xml"))
        # Pedantic remarks are allowed; warnings and errors are not.
        self.assertEqual([line for line in report.splitlines() if line[:2] in ("W:", "E:")], [])
        self.assertIn("EXIT STATUS", self.run_quietly(
            "man", "--warnings=w", "-l", self.path("share/man/man1/lullwick.1"), MANWIDTH="80",
            LC_ALL="C.UTF-8"))

    def test_pictures_found_under_the_prefix_and_a_missing_one_reported(self):
        picture = self.path("share/lullwick/mascot-alert.png")
        self.assertEqual(self.tray_start_report(), [])
        shutil.move(picture, self.destdir)
        self.addCleanup(shutil.move, os.path.join(self.destdir, "mascot-alert.png"), picture)
        self.assertEqual(self.tray_start_report(),
                         [f"Lullwick: picture {picture} is missing; a stand-in is drawn."])

    def tray_start_report(self):
        # Said before it takes its lock.
        with tempfile.TemporaryDirectory() as home, tempfile.TemporaryFile("w+") as err:
            stop(start_headless(self.path("bin/lullwick"), home, "--sleep-command", "/bin/true",
                                stderr=err))
            err.seek(0)
            return [line.rstrip("\n") for line in err if "picture" in line]


unittest.main(argv=sys.argv[:1], verbosity=2)
