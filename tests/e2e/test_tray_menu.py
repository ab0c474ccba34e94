#!/usr/bin/python3
"""The tray menu of the real application on a private desktop, sound server and buses: as
KDE and GNOME see it, exported over D-Bus to a StatusNotifierWatcher; and as icewm's X11 tray
shows it, clicked with the mouse.

Usage: test_tray_menu.py LULLWICK WATCHER_TEMPLATE ARTIFACT_DIR"""
import subprocess
import sys
import time
import unittest

from lullwick_e2e import (GOOD_NIGHT, Lullwick, key, microphone_streams, output, screenshot,
                          start_watcher, stop, tray_menu, wait_for, windows)

BINARY, WATCHER, ARTIFACTS = sys.argv[1:4]
del sys.argv[1:4]

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
    def start(self):
        app = Lullwick(BINARY, {"hasCompletedOnboarding": True})
        self.addCleanup(app.close)
        app.start()
        return app

    def test_b_the_exported_menu_reads_and_writes_the_settings(self):
        self.addCleanup(stop, start_watcher(WATCHER))
        app = self.start()
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        menu = tray_menu()
        self.assertTrue(wait_for(lambda: menu.visible() == LISTENING_MENU, 5), menu.visible())
        self.assertEqual([row[2] for row in menu.items() if row[1] == ""].count("separator"), 4)

        menu.click("High")
        self.assertTrue(wait_for(lambda: app.settings().get("sensitivity") == "high", 5))
        states = {label: state for label, _, state, _ in menu.visible()}
        self.assertEqual([states[name] for name in ("Low", "Medium", "High")], [0, 0, 1])

        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 10))
        self.assertIs(app.settings().get("enabled"), False)
        self.assertTrue(wait_for(lambda: menu.labels()[0] == "Paused", 5))
        self.assertEqual(menu.visible()[2], ("Listen for Double Clap", "checkmark", 0, True))

        # The hours appear right under their switch, in the local time format.
        menu.click("Only During Scheduled Hours")
        self.assertTrue(wait_for(lambda: len(menu.visible()) == len(LISTENING_MENU) + 2, 5))
        labels = menu.labels()
        self.assertEqual(labels[3:6:2], ["Only During Scheduled Hours", "Edit Listening Hours\u2026"])
        self.assertRegex(labels[4], r"\d")

        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: app.settings().get("enabled") is True, 5))

    def test_c_sleep_now_from_the_x11_tray_icon(self):
        app = self.start()

        def icon():
            # Docked in icewm's tray: a small window of ours named after the program.
            found = output("xdotool", "search", "--onlyvisible", "--class", "lullwick").split()
            return [w for w in found if output("xdotool", "getwindowname", w).strip() == "Lullwick"]
        self.assertTrue(wait_for(icon, 10), "no tray icon in icewm's tray")
        subprocess.run(["xdotool", "mousemove", "--window", icon()[0], "10", "10", "click", "1"],
                       check=True)
        time.sleep(0.5)  # the menu pops up on the next turn of Lullwick's event loop
        screenshot(ARTIFACTS, "tray-menu")
        key("Up", "Up", "Up", "Return")  # from the bottom: Quit, Start at Login, Sleep Now
        self.assertTrue(wait_for(lambda: windows(GOOD_NIGHT), 5))
        self.assertTrue(wait_for(lambda: app.sleep_calls() == 1, 10))
        self.assertEqual(app.settled_sleep_calls(), 1)
        self.assertIsNone(app.process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
