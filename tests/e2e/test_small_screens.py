#!/usr/bin/python3
# The cards and the setup assistant on a short or scaled screen: every window whole on the
# screen and usable, and where the screen has room, each one exactly where it always stood.
#   test_small_screens.py BINARY CORPUS SCALE…   (the screen: scripts/with-desktop's size)
import os
import subprocess
import sys
import time
import unittest

from lullwick_e2e import (CONFIRM, GOOD_NIGHT, SETUP, Lullwick, active_window_name, key,
                          keep_sink_running, microphone_streams, output, stop, wait_for, window,
                          window_geometry)

BINARY, CORPUS, *SCALES = sys.argv[1:]
SHADOW = 14  # the cards' windows reach this far around the card, for its shadow
ASSISTANT = (560, 620)


def work_area():
    # What icewm leaves of the screen beside its taskbar, as Qt reads it.
    values = output("xprop", "-root", "_NET_WORKAREA").split("=", 1)[1]
    return [int(v) for v in values.split(",")[:4]]


def frame_extents(wid):
    # left, right, top, bottom: the window manager's frame around the window
    values = output("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS").split("=", 1)
    return [int(v) for v in values[1].split(",")] if len(values) == 2 else None


def unscaled_full_screen(scale):
    # Where every window must stand exactly where it always stood.
    return scale == "1" and output("xdotool", "getdisplaygeometry").split() == ["1280", "800"]


def inside(rect, area):
    x, y, w, h = rect
    ax, ay, aw, ah = area
    return ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah


class SmallScreens(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.addClassCleanup(stop, keep_sink_running())

    def start(self, scale, settings):
        app = Lullwick(BINARY, settings, env={"QT_SCALE_FACTOR": scale})
        self.addCleanup(app.close)
        app.start()
        # Gone before the next scale's run, also after a failed check.
        self.later = lambda: stop(app.process)
        return app

    def run_at(self, scale, body):
        with self.subTest(scale=scale):
            try:
                body(scale)
            finally:
                self.later()

    def test_the_assistant_keeps_its_title_bar_and_footer_on_screen(self):
        for scale in SCALES:
            self.run_at(scale, self.assistant)

    def assistant(self, scale):
        # Allowed before, so that the practice page asks nothing.
        app = self.start(scale, {"microphoneAllowed": True})
        self.assertTrue(wait_for(lambda: active_window_name() == SETUP, 15))
        wid = window(SETUP)
        self.assertTrue(wait_for(lambda: frame_extents(wid), 5), "never framed")
        left, right, top, bottom = frame_extents(wid)
        area = work_area()

        def frame():
            x, y, w, h = window_geometry(wid)
            return [x - left, y - top, w + left + right, h + top + bottom]
        # The window manager frames it first and it fits itself after.
        self.assertTrue(wait_for(lambda: inside(frame(), area), 5), (frame(), area))
        if unscaled_full_screen(scale):
            x, y, w, h = window_geometry(wid)
            self.assertEqual([w, h], list(ASSISTANT))
            # Its frame's corner where its size without the frame is centred (QRect).
            self.assertEqual([x - left, y - top], [(2 * area[i] + area[i + 2] - 1) // 2
                                                   - (ASSISTANT[i] - 1) // 2 for i in (0, 1)])
        key("Return", "Return", "Return", "Return")  # to the last page
        key("Return")  # "Finish"
        self.assertTrue(wait_for(lambda: not window(SETUP), 5), "not finished")
        self.assertTrue(wait_for(lambda: app.settings().get("hasCompletedOnboarding"), 5))

    def test_the_cards_stay_on_screen(self):
        for scale in SCALES:
            self.run_at(scale, self.cards)

    def cards(self, scale):
        app = self.start(scale, {"hasCompletedOnboarding": True, "confirmationMode": "always"})
        self.assertTrue(wait_for(lambda: microphone_streams() == 1))
        time.sleep(1.0)  # the first buffers of a new stream are still on their way
        subprocess.run(["paplay", "-d", os.environ["LULLWICK_TEST_SINK"],
                        f"{CORPUS}/p01_double_040_quiet.wav"], check=True, timeout=60)
        self.assertTrue(wait_for(lambda: window(CONFIRM), 15), "no confirmation")
        self.check_card(window(CONFIRM), scale, 45)
        key("Return")  # "Sleep Now": the good-night card
        self.assertTrue(wait_for(lambda: window(GOOD_NIGHT), 5), "no good night")
        self.check_card(window(GOOD_NIGHT), scale, 50)
        self.assertTrue(wait_for(lambda: app.sleep_calls() == 1, 10))

    def check_card(self, wid, scale, percent_below_top):
        # percent_below_top: where the card's lower edge stands, in the area's height
        x, y, w, h = window_geometry(wid)
        margin = round(SHADOW * float(scale))
        area = work_area()
        card = [x + margin, y + margin, w - 2 * margin, h - 2 * margin]
        self.assertTrue(inside(card, area), (card, area))
        if unscaled_full_screen(scale):
            self.assertEqual(card[:2], [area[0] + (area[2] - card[2]) // 2,
                                        area[1] + area[3] * percent_below_top // 100 - card[3]])


unittest.main(argv=sys.argv[:1], verbosity=2)
