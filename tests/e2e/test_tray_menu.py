#!/usr/bin/python3
# The tray menu as KDE and GNOME read it over D-Bus, and as icewm's X11 tray shows it.
import sys
import unittest

from lullwick_e2e import (GOOD_NIGHT, ExportedMenu, key, microphone_streams, output,
                          start_watcher, started, stop, wait_for, window)

BINARY, WATCHER = sys.argv[1:3]

# label, toggle type, toggle state (-1: none), enabled; one section a line
SEPARATOR, TITLE, PLAIN = ("", "", -1, True), ("", -1, False), ("", -1, True)
CHECKED, UNCHECKED = ("checkmark", 1, True), ("checkmark", 0, True)
ON, OFF = ("radio", 1, True), ("radio", 0, True)
LISTENING_MENU = [
    ("Listening for \U0001F44F\U0001F44F", *TITLE), SEPARATOR,
    ("Listen for Double Clap", *CHECKED), ("Only During Scheduled Hours", *UNCHECKED), SEPARATOR,
    ("Confirmation", *TITLE), ("Always Ask Before Sleeping", *ON),
    ("Ask Only While a Video Is Playing", *OFF),
    ("Sensitivity", *TITLE), ("Low", *OFF), ("Medium", *ON), ("High", *OFF), SEPARATOR,
    ("Setup Assistant\u2026", *PLAIN), ("Sleep Now", *PLAIN), ("Start at Login", *UNCHECKED),
    SEPARATOR, ("Quit Lullwick", *PLAIN)]


class TrayMenu(unittest.TestCase):
    def test_a_the_exported_menu_reads_and_writes_the_settings(self):
        self.addCleanup(stop, start_watcher(WATCHER))
        app = started(self, BINARY, {"hasCompletedOnboarding": True})
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        menu = ExportedMenu()
        self.assertTrue(wait_for(lambda: menu.visible() == LISTENING_MENU, 5), menu.visible())
        menu.click("High")
        self.assertTrue(wait_for(lambda: app.settings().get("sensitivity") == "high", 5))

    def test_b_sleep_now_from_the_x11_tray_icon(self):
        app = started(self, BINARY, {"hasCompletedOnboarding": True})

        def icon():
            # Docked in icewm's tray: a small window of ours named after the program.
            found = output("xdotool", "search", "--onlyvisible", "--class", "lullwick").split()
            return [w for w in found if output("xdotool", "getwindowname", w).strip() == "Lullwick"]
        self.assertTrue(wait_for(icon, 10), "no tray icon in icewm's tray")
        docked = icon()[0]
        output("xdotool", "mousemove", "--window", docked, "10", "10", "click", "1")
        # The menu, another window of ours, takes the keys once it shows.
        self.assertTrue(wait_for(lambda: set(output("xdotool", "search", "--onlyvisible",
                                                    "--class", "lullwick").split()) - {docked}, 5))
        key("Up", "Up", "Up", "Return")  # from the bottom: Quit, Start at Login, Sleep Now
        self.assertTrue(wait_for(lambda: window(GOOD_NIGHT), 5))
        self.assertTrue(wait_for(lambda: app.sleep_calls() == 1, 10))
        self.assertIsNone(app.process.poll())


unittest.main(argv=sys.argv[:1], verbosity=2)
