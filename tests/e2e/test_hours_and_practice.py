#!/usr/bin/python3
# The listening-hours and practice pages, driven where a screen reader finds their parts.
import base64
import os
import subprocess
import sys
import time
import unittest

from lullwick_e2e import (CONFIRM, GOOD_NIGHT, SETUP, ExportedMenu, accessibles, click,
                          keep_sink_running, microphone_streams, output,
                          start_accessibility, start_watcher, started, stop, wait_for, window)

BINARY, WATCHER, CORPUS = sys.argv[1:4]
del sys.argv[1:4]


def shows(text):
    return any(a.name.startswith(text) for a in accessibles(SETUP, "LABEL"))


class HoursAndPractice(unittest.TestCase):
    def setUp(self):
        for child in (start_accessibility(), start_watcher(WATCHER), keep_sink_running()):
            self.addCleanup(stop, child)
        self.app = started(self, BINARY, {
            "hasCompletedOnboarding": True, "microphoneAllowed": True, "scheduleEnabled": True,
            "scheduleWindows": {"base64": base64.b64encode(b"[]").decode()}},
            env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})

    def press(self, name):
        click(accessibles(SETUP, "PUSH_BUTTON", name)[0])

    def set_hour(self, picker, hour):
        # A loaded application may still be reading the last keys when the next round starts.
        click(picker, left=8)
        for _ in range(5):
            if not (steps := (hour - int(picker.queryText().getText(0, -1)[:2])) % 24):
                return
            keys = ["Up"] * steps if steps <= 12 else ["Down"] * (24 - steps)
            subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True)
            time.sleep(1.0)
        self.fail(f"the picker does not reach {hour}")

    def test_hours_then_practice(self):
        menu = ExportedMenu()
        time.sleep(1)  # a microphone opened against the empty schedule would show by now
        self.assertEqual(microphone_streams(), 0)

        menu.click("Edit Listening Hours\u2026")
        self.assertTrue(wait_for(lambda: shows("No hours yet"), 10))
        self.press("Add Hours")
        self.assertTrue(wait_for(lambda: len(accessibles(SETUP, "SPIN_BUTTON")) == 2, 5))
        hour = time.localtime().tm_hour
        pickers = accessibles(SETUP, "SPIN_BUTTON")
        self.set_hour(pickers[0], (hour - 1) % 24)
        self.set_hour(pickers[1], (hour + 2) % 24)
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        click(accessibles(SETUP, "CHECK_BOX", "Listen during these hours")[0])
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5))
        self.press("Add Hours")
        self.press("Add Hours")
        time.sleep(1.0)  # the new rows and their repaint

        # Practice opens the microphone even with listening switched off.
        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: self.app.settings().get("enabled") is False, 5))
        self.press("Continue")
        self.assertTrue(wait_for(lambda: shows("Try it"), 10))
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        time.sleep(1.0)  # the first buffers of a new stream are still on their way
        player = subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_ROOM"],
                                   os.path.join(CORPUS, "p01_double_040_quiet.wav")])
        self.addCleanup(player.wait, 60)
        sounds, cards = 0, False
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not (sounds and shows("Double clap detected!")):
            sink_inputs = output("pactl", "list", "sink-inputs")
            sounds = max(sounds, sink_inputs.count('event.id = "complete"'))
            cards = cards or window(GOOD_NIGHT) or window(CONFIRM)
        self.assertTrue(shows("Double clap detected!"))
        self.assertEqual(sounds, 1)
        self.assertEqual(self.app.settled_sleep_calls(), 0)
        self.assertFalse(cards or window(GOOD_NIGHT) or window(CONFIRM))

        self.press("Back")
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5))
        self.assertIsNone(self.app.process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
