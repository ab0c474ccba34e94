#!/usr/bin/python3
# Clap twice, the computer sleeps: the real tray application on a private X desktop, sound
# server and buses, with logind mocked. The decisions behind the cards are tested in
# SleepFlowTest and ConfirmationPanelControllerTest; here is what only the real parts show.
#
# Usage: test_double_clap_flow.py LULLWICK CORPUS_DIR ARTIFACT_DIR
# LULLWICK_TEST_THEME=dark gives Lullwick a dark palette (through Qt's KDE theme, as a Plasma
# session with a dark colour scheme would) and names the screenshots "-dark".
import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

import dbus
from lullwick_e2e import (CONFIRM, GOOD_NIGHT, Lullwick, focused_window, key, microphone_streams,
                          output, screenshot, start_logind, stop, wait_for, window_geometry,
                          window_id)

BINARY, CORPUS, ARTIFACTS = sys.argv[1:4]
SINK = os.environ["LULLWICK_TEST_SINK"]
DARK = os.environ.get("LULLWICK_TEST_THEME") == "dark"
THEME = {"QT_QPA_PLATFORMTHEME": "kde", "KDE_SESSION_VERSION": "5"} if DARK else {}
SHOTS = "-dark" if DARK else ""
KDE_DARK_COLOURS = "".join(
    f"[Colors:{group}]\nBackgroundNormal={back}\nForegroundNormal=252,252,252\n"
    for group, back in [("Window", "42,46,50"), ("View", "27,30,32"), ("Button", "49,54,59"),
                        ("Selection", "61,174,233")])


def accessible_card():
    # (description, [button names]) of the card a screen reader finds, or None.
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == "Clap-clap detected":
                return window.description, sorted(b.name for b in pyatspi.findAllDescendants(
                    window, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON))
    return None


class DoubleClapFlow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The accessibility bus a desktop session starts; Qt finds it through the session bus.
        atspi = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        logind, mock = start_logind()
        mock.AddMethod("", "ListInhibitors", "", "a(ssssuu)", "ret = []")
        # A null sink left idle holds back the first buffer; a silent stream keeps it running.
        keepalive = subprocess.Popen(
            ["pacat", "--playback", "-d", SINK, "--latency-msec=20", "--rate=48000", "--channels=1",
             "--format=float32le", "/dev/zero"])
        for child in (atspi, logind, keepalive):
            cls.addClassCleanup(stop, child)
        assert wait_for(lambda: dbus.SessionBus().name_has_owner("org.a11y.Bus")), "no a11y bus"

    def start(self, mode):
        self.app = Lullwick(BINARY, {"hasCompletedOnboarding": True, "confirmationMode": mode},
                            ["--trace-latency"], dict(THEME, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        self.addCleanup(self.app.close)
        if DARK:
            Path(self.app.config, "kdeglobals").write_text(KDE_DARK_COLOURS)
        self.app.start()
        self.assertTrue(wait_for(lambda: microphone_streams() == 1))
        time.sleep(1.0)  # the first buffers of a new stream are still on their way

    def clap_until(self, title):
        # Into the virtual microphone; the card may come and go before the scene ends.
        player = subprocess.Popen(["paplay", "-d", SINK, f"{CORPUS}/p01_double_040_quiet.wav"])
        self.addCleanup(player.wait, 60)
        self.assertTrue(wait_for(lambda: window_id(title), 15), title)

    def escape(self):
        key("Escape")
        self.assertTrue(wait_for(lambda: not window_id(CONFIRM), 5), "Escape did not cancel")

    def test_a_double_clap_shows_good_night_then_sleeps_once(self):
        self.start("whenVideoPlaying")
        self.clap_until(GOOD_NIGHT)
        card_shown = time.monotonic()
        screenshot(ARTIFACTS, "good-night" + SHOTS, around=window_id(GOOD_NIGHT))
        self.assertTrue(wait_for(lambda: self.app.sleep_calls() == 1, 10))
        self.assertGreater(time.monotonic() - card_shown, 0.9, "slept before the card's time")
        self.assertTrue(wait_for(lambda: not window_id(GOOD_NIGHT), 5))
        self.assertEqual(self.app.settled_sleep_calls(), 1)
        self.assertIsNone(self.app.process.poll())

    def test_b_always_asks_and_escape_cancels(self):
        self.start("always")
        self.clap_until(CONFIRM)
        screenshot(ARTIFACTS, "confirmation-normal" + SHOTS, around=window_id(CONFIRM))
        time.sleep(6.5)  # into the last four seconds, where the mascot falls asleep
        screenshot(ARTIFACTS, "confirmation-asleep" + SHOTS, around=window_id(CONFIRM))
        self.escape()
        self.assertEqual(self.app.settled_sleep_calls(), 0)

    def test_c_speech_and_music_never_sleep(self):
        self.start("always")
        subprocess.run(["paplay", "-d", SINK, f"{CORPUS}/p07_speech_tts.wav"], timeout=60)
        self.assertFalse(wait_for(lambda: window_id(CONFIRM), 1))
        # Beats of this music can pass for a double clap (its expected events say so), and live
        # buffers fall differently from the file's: it may ask, but never sleeps untold.
        subprocess.run(["paplay", "-d", SINK, f"{CORPUS}/p08_music_only.wav"], timeout=60)
        time.sleep(1)
        if window_id(CONFIRM):
            self.escape()
        self.assertEqual(self.app.settled_sleep_calls(), 0)

    def test_d_the_card_speaks_takes_the_keys_and_gives_them_back(self):
        # A window the user is typing into, like an editor.
        holder = subprocess.Popen(["xmessage", "-title", "Typing here", "-geometry", "+40+40", "."])
        self.addCleanup(stop, holder)
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Typing here$",
                        "windowactivate", "--sync"], check=True, timeout=10)
        before = focused_window()
        self.start("always")
        self.clap_until(CONFIRM)
        card = window_id(CONFIRM)
        self.assertEqual(focused_window(), card)
        # A click on the shadow beside the card lands on what lies below it.
        x, y, _, height = window_geometry(card)
        subprocess.run(["xdotool", "mousemove", str(x + 3), str(y + height // 2)], check=True)
        self.assertNotIn(f"WINDOW={card}\n", output("xdotool", "getmouselocation", "--shell"))
        self.assertTrue(wait_for(accessible_card, 10))
        description, buttons = accessible_card()
        self.assertRegex(description, r"^Going to sleep in \d+s…$")
        self.assertEqual(buttons, ["Cancel", "Sleep Now"])
        self.assertTrue(wait_for(lambda: (accessible_card() or [None])[0] not in
                                 (None, description), 3), "the countdown was not told")
        self.escape()
        self.assertTrue(wait_for(lambda: focused_window() == before, 3))


unittest.main(argv=sys.argv[:1], verbosity=2)
