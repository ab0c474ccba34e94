#!/usr/bin/python3
# Clap twice, the computer sleeps and wakes: the real tray application on a private X desktop,
# sound server and buses, with logind mocked.
import subprocess
import sys
import unittest

from lullwick_e2e import (CONFIRM, GOOD_NIGHT, accessible_window, double_clap_in_room, event_sounds,
                          focused_window, keep_sink_running, key, output, start_accessibility,
                          start_logind, started, stop, wait_for, window, window_geometry)

BINARY, CORPUS = sys.argv[1:3]


def card_description():
    return getattr(accessible_window("Clap-clap detected"), "description", None)


class DoubleClapFlow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        logind, mock = start_logind()
        mock.AddMethod("", "ListInhibitors", "", "a(ssssuu)", "ret = []")
        for child in (start_accessibility(), logind, keep_sink_running()):
            cls.addClassCleanup(stop, child)

    def start(self, mode):
        self.app = started(self, BINARY, {"hasCompletedOnboarding": True,
                                          "confirmationMode": mode},
                           ["--trace-latency"], {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        self.addCleanup(double_clap_in_room(CORPUS).wait, 60)
        title = CONFIRM if mode == "always" else GOOD_NIGHT
        self.sounds = {}
        self.assertTrue(wait_for(self.noting_sounds(lambda: window(title)), 15), title)

    def noting_sounds(self, condition):
        # The condition, noting in passing the event sounds that play.
        return lambda: self.sounds.update(event_sounds()) or condition()

    def test_a_double_clap_shows_good_night_sleeps_once_and_listens_again_on_waking(self):
        self.start("whenVideoPlaying")
        self.assertTrue(wait_for(lambda: self.app.sleep_calls() == 1, 10))
        self.assertEqual(self.app.settled_sleep_calls(), 1)  # the wake reopens capture
        self.assertIsNone(self.app.process.poll())

    def test_b_the_card_counts_down_speaks_takes_the_keys_and_gives_them_back(self):
        # A window the user is typing into, like an editor.
        holder = subprocess.Popen(["xmessage", "-title", "Typing here", "-geometry", "+40+40", "."])
        self.addCleanup(stop, holder)
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Typing here$",
                        "windowactivate", "--sync"], check=True, timeout=10)
        before = focused_window()
        self.start("always")
        card = window(CONFIRM)
        self.assertEqual(focused_window(), card)
        # A click on the shadow beside the card lands on what lies below it.
        x, y, _, height = window_geometry(card)
        subprocess.run(["xdotool", "mousemove", str(x + 3), str(y + height // 2)], check=True)
        self.assertNotIn(f"WINDOW={card}\n", output("xdotool", "getmouselocation", "--shell"))
        self.assertTrue(wait_for(self.noting_sounds(card_description), 10))
        description = card_description()
        told = self.noting_sounds(lambda: card_description() not in (None, description))
        self.assertTrue(wait_for(told, 3), "the countdown was not told")
        self.assertEqual(list(self.sounds.values()), ["message"])  # once, as the card came
        key("Escape")
        self.assertTrue(wait_for(lambda: focused_window() == before, 5))


unittest.main(argv=sys.argv[:1], verbosity=2)
