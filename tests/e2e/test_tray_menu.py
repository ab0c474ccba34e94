#!/usr/bin/python3
"""The tray menu of the real application on a private desktop, sound server and buses: as
KDE and GNOME see it, exported over D-Bus to a StatusNotifierWatcher; and as icewm's X11 tray
shows it, clicked with the mouse.

Usage: test_tray_menu.py LULLWICK WATCHER_TEMPLATE ARTIFACT_DIR"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

import dbus

from lullwick_e2e import microphone_streams, wait_for
from lullwick_session import ExportedMenu, Lullwick, key, screenshot, windows

BINARY, WATCHER, ARTIFACTS = sys.argv[1:4]
del sys.argv[1:4]
WATCHER_NAME = "org.kde.StatusNotifierWatcher"
CONSENTED = {"hasCompletedOnboarding": True}
GOOD_NIGHT = "Lullwick: Good night"

# label, toggle type, toggle state (-1: none), enabled; the visible items, top to bottom.
LISTENING_MENU = [
    ("Listening for \U0001F44F\U0001F44F", "", -1, False),
    ("", "", -1, True),
    ("Listen for Double Clap", "checkmark", 1, True),
    ("Only During Scheduled Hours", "checkmark", 0, True),
    ("", "", -1, True),
    ("Confirmation", "", -1, False),
    ("Always Ask Before Sleeping", "radio", 1, True),
    ("Ask Only While a Video Is Playing", "radio", 0, True),
    ("Sensitivity", "", -1, False),
    ("Low", "radio", 0, True),
    ("Medium", "radio", 1, True),
    ("High", "radio", 0, True),
    ("", "", -1, True),
    ("Setup Assistant\u2026", "", -1, True),
    ("Sleep Now", "", -1, True),
    ("Start at Login", "checkmark", 0, True),
    ("", "", -1, True),
    ("Quit Lullwick", "", -1, True),
]


class TrayMenu(unittest.TestCase):
    def setUp(self):
        self.lullwick = None
        self.watcher = None

    def tearDown(self):
        if self.lullwick:
            self.lullwick.close()
        if self.watcher:
            self.watcher.terminate()
            self.watcher.wait()

    def visible(self, menu):
        return [(label, toggle, state, enabled)
                for _, label, _, toggle, state, shown, enabled in menu.items() if shown]

    def test_b_the_exported_menu_reads_and_writes_the_settings(self):
        self.watcher = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template",
                                         WATCHER], stdout=subprocess.DEVNULL)
        bus = dbus.SessionBus()
        self.assertTrue(wait_for(lambda: bus.name_has_owner(WATCHER_NAME), 30))
        self.lullwick = Lullwick(BINARY, CONSENTED)
        self.lullwick.start()
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10), "microphone not open")
        watcher = bus.get_object(WATCHER_NAME, "/StatusNotifierWatcher")
        items = lambda: watcher.Get(WATCHER_NAME, "RegisteredStatusNotifierItems",
                                    dbus_interface="org.freedesktop.DBus.Properties")
        self.assertTrue(wait_for(lambda: len(items()) == 1, 10), "no tray item registered")
        menu = ExportedMenu(bus, str(items()[0]))
        self.assertTrue(wait_for(lambda: self.visible(menu) == LISTENING_MENU, 5),
                        self.visible(menu))
        self.assertEqual([row[2] for row in menu.items() if row[1] == ""].count("separator"), 4)

        menu.click("High")
        self.assertTrue(wait_for(lambda: self.lullwick.settings().get("sensitivity") == "high",
                                 5))
        states = {label: state for label, _, state, _ in self.visible(menu)}
        self.assertEqual((states["Low"], states["Medium"], states["High"]), (0, 0, 1))

        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 10), "microphone still open")
        self.assertIs(self.lullwick.settings().get("enabled"), False)
        self.assertTrue(wait_for(lambda: self.visible(menu)[0][0] == "Paused", 5))
        self.assertEqual(self.visible(menu)[2], ("Listen for Double Clap", "checkmark", 0, True))

        # The hours appear right under their switch.
        menu.click("Only During Scheduled Hours")
        self.assertTrue(wait_for(lambda: len(self.visible(menu)) == len(LISTENING_MENU) + 2, 5))
        labels = [row[0] for row in self.visible(menu)]
        self.assertEqual(labels[3:6], ["Only During Scheduled Hours",
                                       labels[4], "Edit Listening Hours\u2026"])
        self.assertRegex(labels[4], r"\d")  # the hours, 21:00 to 07:00 in the local format

        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: self.lullwick.settings().get("enabled") is True, 5))

    def test_c_sleep_now_from_the_x11_tray_icon(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        calls = os.path.join(folder.name, "sleep-calls")
        script = os.path.join(folder.name, "record-sleep")
        with open(script, "w") as f:
            f.write(f"#!/bin/sh\necho \"$0\" >> {calls}\n")
        os.chmod(script, 0o755)
        self.lullwick = Lullwick(BINARY, CONSENTED,
                                 ["--sleep-command", script, "--sleep-fallback", script])
        self.lullwick.start()
        # The icon docked in icewm's tray: a small window of ours named after the program.
        icon = []
        def docked():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "lullwick"],
                                   capture_output=True, text=True).stdout.split()
            icon[:] = [w for w in found if subprocess.run(
                ["xdotool", "getwindowname", w], capture_output=True,
                text=True).stdout.strip() == "Lullwick"]
            return bool(icon)
        self.assertTrue(wait_for(docked, 10), "no tray icon in icewm's tray")
        subprocess.run(["xdotool", "mousemove", "--window", icon[0], "10", "10", "click", "1"],
                       check=True)
        time.sleep(0.5)  # the menu pops up on the next turn of Lullwick's event loop
        screenshot(ARTIFACTS, "tray-menu")
        key("Up", "Up", "Up", "Return")  # from the bottom: Quit, Start at Login, Sleep Now
        self.assertTrue(wait_for(lambda: windows(GOOD_NIGHT), 5), "no good-night card")
        def recorded():
            if not os.path.exists(calls):
                return []
            with open(calls) as f:
                return f.read().splitlines()
        self.assertTrue(wait_for(lambda: len(recorded()) == 1, 10), "no sleep command")
        time.sleep(2)  # a second command would follow at once
        self.assertEqual(len(recorded()), 1)
        self.assertIsNone(self.lullwick.process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
