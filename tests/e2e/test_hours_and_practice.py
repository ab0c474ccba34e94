#!/usr/bin/python3
# The listening-hours page and the practice page: the real tray application on a private X
# desktop, sound server and buses. The pickers are driven by xdotool at the places a screen
# reader finds them; a recorded double clap is played into the microphone.
#
# Usage: test_hours_and_practice.py LULLWICK WATCHER_TEMPLATE CORPUS_DIR ARTIFACT_DIR
import base64
import json
import os
import subprocess
import sys
import time
import unittest

from lullwick_e2e import (CONFIRM, GOOD_NIGHT, SETUP, accessibles, click, keep_sink_running,
                          microphone_streams, output, screenshot, start_accessibility,
                          start_watcher, started, stop, tray_menu, wait_for, windows)

BINARY, WATCHER, CORPUS, ARTIFACTS = sys.argv[1:5]
del sys.argv[1:5]


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

    def stored_windows(self):
        return [(w["startMinutes"], w["endMinutes"], w["isEnabled"]) for w in json.loads(
            base64.b64decode(self.app.settings()["scheduleWindows"]["base64"]))]

    def press(self, name):
        click(accessibles(SETUP, "PUSH_BUTTON", name)[0])

    def set_hour(self, picker, hour):
        # Arrow keys, checking what the picker shows: a loaded application may still be
        # reading the last keys when the next round starts.
        click(picker, left=8)
        for _ in range(5):
            if not (steps := (hour - int(picker.queryText().getText(0, -1)[:2])) % 24):
                return
            keys = ["Up"] * steps if steps <= 12 else ["Down"] * (24 - steps)
            subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True)
            time.sleep(1.0)
        self.fail(f"the picker does not reach {hour}")

    def shot(self, name):
        screenshot(ARTIFACTS, name, windows(SETUP)[0])

    def test_hours_then_practice(self):
        menu = tray_menu()
        time.sleep(1)  # a microphone opened against the empty schedule would show by now
        self.assertEqual(microphone_streams(), 0)

        menu.click("Edit Listening Hours\u2026")
        self.assertTrue(wait_for(lambda: shows("No hours yet"), 10))
        self.press("Add Hours")
        self.assertTrue(wait_for(lambda: self.stored_windows() == [(720, 840, True)], 5))
        hour = time.localtime().tm_hour
        start, end = (hour - 1) % 24, (hour + 2) % 24
        pickers = accessibles(SETUP, "SPIN_BUTTON")
        self.set_hour(pickers[0], start)
        self.set_hour(pickers[1], end)
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        self.assertEqual(self.stored_windows(), [(start * 60, end * 60, True)])
        self.assertEqual([p.queryText().getText(0, -1) for p in pickers],
                         [f"{start:02}:00", f"{end:02}:00"])
        # The switch's write re-evaluates the schedule at once.
        click(accessibles(SETUP, "CHECK_BOX", "Listen during these hours")[0])
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5))
        self.assertEqual(self.stored_windows(), [(start * 60, end * 60, False)])
        self.press("Add Hours")
        self.press("Add Hours")
        self.assertTrue(wait_for(lambda: len(self.stored_windows()) == 3, 5))
        time.sleep(0.5)  # the last repaint
        self.shot("listening-hours")

        # Practice opens the microphone even with listening switched off.
        menu.click("Listen for Double Clap")
        self.assertTrue(wait_for(lambda: self.app.settings().get("enabled") is False, 5))
        self.press("Continue")
        self.assertTrue(wait_for(lambda: shows("Try it"), 10))
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        time.sleep(1.0)  # the first buffers of a new stream are still on their way
        self.shot("practice-waiting")
        player = subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_SINK"],
                                   os.path.join(CORPUS, "p01_double_040_quiet.wav")])
        self.addCleanup(player.wait, 60)
        sounds = cards = 0
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not (sounds and shows("Detected")):
            sink_inputs = output("pactl", "list", "sink-inputs")
            sounds = max(sounds, sink_inputs.count('event.id = "complete"'))
            cards += len(windows(GOOD_NIGHT)) + len(windows(CONFIRM))
        self.assertTrue(shows("Double clap detected!"))
        self.assertTrue(shows("Detected 1\u00d7 \u2014 you're all set. Click Finish."))
        self.assertEqual(sounds, 1)
        self.shot("practice-detected")
        self.assertEqual(self.app.settled_sleep_calls(), 0)
        self.assertEqual(cards + len(windows(GOOD_NIGHT)) + len(windows(CONFIRM)), 0)

        self.press("Back")
        self.assertTrue(wait_for(lambda: microphone_streams() == 0, 5))
        self.assertIsNone(self.app.process.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
