#!/usr/bin/python3
# The setup assistant and the cards on a short or scaled screen: every window whole on the
# screen and usable, and where the screen has room, the assistant exactly where it always stood.
#   test_small_screens.py BINARY CORPUS SCALE…   (the screen: scripts/with-desktop's size)
import sys
import unittest

from lullwick_e2e import (CONFIRM, GOOD_NIGHT, SETUP, active_window_name, double_clap_in_room, key,
                          keep_sink_running, output, started, stop, wait_for, window,
                          window_geometry)

BINARY, CORPUS, *SCALES = sys.argv[1:]
SHADOW, ASSISTANT = 14, [560, 620]  # the cards' windows reach this far around the card


def xprop(*args):  # the numbers of a CARDINAL property
    values = output("xprop", *args).split("=", 1)
    return [int(v) for v in values[1].split(",")] if len(values) == 2 else None


def inside(rect, area):
    return all(area[i] <= rect[i] and rect[i] + rect[i + 2] <= area[i] + area[i + 2] for i in (0, 1))


class SmallScreens(unittest.TestCase):
    def test_every_window_stays_whole_on_screen(self):
        self.addCleanup(stop, keep_sink_running())
        for scale in SCALES:
            with self.subTest(scale=scale):
                # Allowed before, so that the practice page asks nothing.
                app = started(self, BINARY, {"microphoneAllowed": True,
                                             "confirmationMode": "always"},
                              env={"QT_SCALE_FACTOR": scale})
                try:
                    self.check(app, scale == "1" and output(
                        "xdotool", "getdisplaygeometry").split() == ["1280", "800"])
                finally:
                    stop(app.process)  # also after a failed check, before the next scale

    def check(self, app, unscaled):
        # unscaled: on a screen with room, where the assistant must stand as it always stood
        area = xprop("-root", "_NET_WORKAREA")[:4]  # without icewm's taskbar, as Qt reads it
        self.assertTrue(wait_for(lambda: active_window_name() == SETUP, 15))
        wid = window(SETUP)
        self.assertTrue(wait_for(lambda: xprop("-id", str(wid), "_NET_FRAME_EXTENTS"), 5))
        left, right, top, bottom = xprop("-id", str(wid), "_NET_FRAME_EXTENTS")

        def frame():
            x, y, w, h = window_geometry(wid)
            return [x - left, y - top, w + left + right, h + top + bottom]
        # The window manager frames it first and it fits itself after.
        self.assertTrue(wait_for(lambda: inside(frame(), area), 5), (frame(), area))
        if unscaled:  # its frame's corner where its size without the frame is centred (QRect)
            self.assertEqual(window_geometry(wid)[2:], ASSISTANT)
            self.assertEqual(frame()[:2], [(2 * area[i] + area[i + 2] - 1) // 2
                                           - (ASSISTANT[i] - 1) // 2 for i in (0, 1)])
        key("Return", "Return", "Return", "Return", "Return")  # to the last page, "Finish"
        self.assertTrue(wait_for(lambda: not window(SETUP), 5), "not finished")

        self.assertEqual(double_clap_in_room(CORPUS).wait(60), 0)
        for title in (CONFIRM, GOOD_NIGHT):
            self.assertTrue(wait_for(lambda: window(title), 15), title)
            x, y, w, h = window_geometry(window(title))
            margin = round(SHADOW * float(app.env["QT_SCALE_FACTOR"]))
            card = [x + margin, y + margin, w - 2 * margin, h - 2 * margin]
            self.assertTrue(inside(card, area), (title, card, area))
            key("Return")  # "Sleep Now" on the confirmation: the good-night card
        self.assertTrue(wait_for(lambda: app.sleep_calls() == 1, 10))


unittest.main(argv=sys.argv[:1], verbosity=2)
