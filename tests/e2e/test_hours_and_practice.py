#!/usr/bin/python3
"""The listening-hours page and the practice page: the real tray application on a private X
desktop, sound server and buses. The pickers are driven by xdotool at the places a screen
reader finds them; a recorded double clap is played into the microphone.

Usage: test_hours_and_practice.py LULLWICK WATCHER_TEMPLATE CORPUS_DIR ARTIFACT_DIR"""
import base64
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

import dbus

from lullwick_e2e import microphone_streams, stop, wait_for
from lullwick_session import SETUP, ExportedMenu, Lullwick, screenshot, windows

BINARY, WATCHER, CORPUS, ARTIFACTS = sys.argv[1:5]
del sys.argv[1:5]
WATCHER_NAME = "org.kde.StatusNotifierWatcher"
DOUBLE_CLAP = os.path.join(CORPUS, "p01_double_040_quiet.wav")
CARDS = ("Lullwick: Good night", "Lullwick: Sleep?")
PRACTICE_SOUND = 'event.id = "complete"'


def accessibles(role, name=None):
    """The setup window's accessibles of that pyatspi role (and name), top to bottom."""
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == SETUP:
                found = pyatspi.findAllDescendants(window, lambda a: a.getRole() == role and (
                    name is None or a.name == name) and a.getState().contains(
                        pyatspi.STATE_SHOWING))
                return sorted(found, key=lambda a: a.queryComponent().getExtents(0).y)
    return []


def click(accessible, left=None):
    """A real click, at the centre or this many pixels from the left edge."""
    ext = accessible.queryComponent().getExtents(0)  # screen coordinates
    x = ext.x + (left if left is not None else ext.width // 2)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(ext.y + ext.height // 2),
                    "click", "1"], check=True)
    time.sleep(0.3)  # xdotool returns before the application has read the click


def click_button(name):
    import pyatspi
    click(accessibles(pyatspi.ROLE_PUSH_BUTTON, name)[0])


def shows(text):
    import pyatspi
    return any(a.name.startswith(text) for a in accessibles(pyatspi.ROLE_LABEL))


class HoursAndPractice(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        cls.children = [
            subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
            subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template", WATCHER],
                             stdout=subprocess.DEVNULL),
            # A null sink left idle holds back the first buffer; a silent stream keeps it going.
            subprocess.Popen(["pacat", "--playback", "-d", os.environ["LULLWICK_TEST_SINK"],
                              "--latency-msec=20", "--rate=48000", "--channels=1",
                              "--format=float32le", "/dev/zero"])]
        cls.bus = dbus.SessionBus()
        assert wait_for(lambda: cls.bus.name_has_owner(WATCHER_NAME), 30)
        assert wait_for(lambda: cls.bus.name_has_owner("org.a11y.Bus"), 30)

    @classmethod
    def tearDownClass(cls):
        for child in cls.children:
            stop(child)

    def menu(self):
        watcher = self.bus.get_object(WATCHER_NAME, "/StatusNotifierWatcher")
        items = lambda: watcher.Get(WATCHER_NAME, "RegisteredStatusNotifierItems",
                                    dbus_interface="org.freedesktop.DBus.Properties")
        self.assertTrue(wait_for(lambda: len(items()) > 0, 10), "no tray item registered")
        return ExportedMenu(self.bus, str(items()[-1]))

    def stored_windows(self):
        encoded = self.lullwick.settings()["scheduleWindows"]["base64"]
        return [(w["startMinutes"], w["endMinutes"], w["isEnabled"])
                for w in json.loads(base64.b64decode(encoded))]

    def set_hour(self, picker, hour):
        """By the arrow keys in the picker's hour field, checking what it shows: a loaded
        application may still be reading the last keys when the next round starts."""
        click(picker, left=8)
        for _ in range(5):
            steps = (hour - int(picker.queryText().getText(0, -1)[:2])) % 24
            if not steps:
                return
            keys = ["Up"] * steps if steps <= 12 else ["Down"] * (24 - steps)
            subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True)
            time.sleep(1.0)
        self.fail(f"the picker does not reach {hour}")

    def test_hours_then_practice(self):
        import pyatspi
        folder = tempfile.TemporaryDirectory()
        calls = os.path.join(folder.name, "sleep-calls")
        recorder = os.path.join(folder.name, "record-sleep")
        with open(recorder, "w") as f:
            f.write(f"#!/bin/sh\necho \"$0\" >> {calls}\n")
        os.chmod(recorder, 0o755)
        no_windows = {"base64": base64.b64encode(b"[]").decode()}
        self.lullwick = Lullwick(BINARY, {"hasCompletedOnboarding": True,
                                          "microphoneAllowed": True, "scheduleEnabled": True,
                                          "scheduleWindows": no_windows},
                                 ["--sleep-command", recorder, "--sleep-fallback", recorder])
        self.addCleanup(self.lullwick.close)
        self.lullwick.start()
        menu = self.menu()
        time.sleep(1)  # a microphone opened against the empty schedule would show by now
        self.assertEqual(microphone_streams(), 0)

        # Page 3: one window from an hour ago to two hours ahead, by the pickers.
        menu.click("Edit Listening Hours\u2026")
        self.assertTrue(wait_for(lambda: windows(SETUP), 10), "no setup assistant")
        self.assertTrue(wait_for(lambda: shows("No hours yet"), 10), "not the hours page")
        click_button("Add Hours")
        self.assertTrue(wait_for(lambda: self.stored_windows() == [(720, 840, True)], 5))
        hour = time.localtime().tm_hour
        start, end = (hour - 1) % 24, (hour + 2) % 24
        pickers = accessibles(pyatspi.ROLE_SPIN_BUTTON)
        self.assertEqual(len(pickers), 2)
        self.set_hour(pickers[0], start)
        self.set_hour(pickers[1], end)
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10), "microphone not open")
        self.assertEqual(self.stored_windows(), [(start * 60, end * 60, True)])
        self.assertEqual([p.queryText().getText(0, -1) for p in pickers],
                         [f"{start:02}:00", f"{end:02}:00"])

        # Switching the row off closes the microphone at once: the write re-evaluates.
        click(accessibles(pyatspi.ROLE_CHECK_BOX, "Listen during these hours")[0])
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5), "microphone still open")
        self.assertEqual(self.stored_windows(), [(start * 60, end * 60, False)])
        click_button("Add Hours")
        click_button("Add Hours")
        self.assertTrue(wait_for(lambda: len(self.stored_windows()) == 3, 5))
        time.sleep(0.5)  # the last repaint
        screenshot(ARTIFACTS, "listening-hours", windows(SETUP)[0])

        # Page 4 with listening switched off: practice opens the microphone all the same.
        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: self.lullwick.settings().get("enabled") is False, 5))
        click_button("Continue")
        self.assertTrue(wait_for(lambda: shows("Try it"), 10), "not the practice page")
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10), "microphone not open")
        time.sleep(1.0)  # the first buffers of a new stream are still on their way
        screenshot(ARTIFACTS, "practice-waiting", windows(SETUP)[0])

        player = subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_SINK"],
                                   DOUBLE_CLAP])
        sounds = cards = 0
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not (sounds and shows("Detected")):
            sounds = max(sounds, subprocess.run(["pactl", "list", "sink-inputs"], text=True,
                                                capture_output=True).stdout.count(PRACTICE_SOUND))
            cards += sum(len(windows(card)) for card in CARDS)
        player.wait(60)
        self.assertTrue(shows("Double clap detected!"))
        self.assertTrue(shows("Detected 1\u00d7 \u2014 you're all set. Click Finish."))
        self.assertEqual(sounds, 1, "no practice sound")
        screenshot(ARTIFACTS, "practice-detected", windows(SETUP)[0])
        time.sleep(2)  # a card or a sleep command would follow within this
        cards += sum(len(windows(card)) for card in CARDS)
        self.assertEqual(cards, 0)
        self.assertFalse(os.path.exists(calls), "the sleep command ran")

        # Back on page 3 the microphone follows the switch again: off.
        click_button("Back")
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5), "microphone still open")
        self.assertIsNone(self.lullwick.process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
