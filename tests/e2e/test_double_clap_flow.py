#!/usr/bin/python3
"""Clap twice, the computer sleeps: the real tray application on a private X desktop, sound
server and buses (run through scripts/with-dbus, with-sound-server and with-desktop), with
logind mocked and a sleep command that only records that it ran.

Usage: test_double_clap_flow.py LULLWICK CORPUS_DIR ARTIFACT_DIR

LULLWICK_TEST_THEME=dark gives Lullwick a dark desktop palette (through Qt's KDE theme, as a
Plasma session with a dark colour scheme would) and names the screenshots "-dark"."""
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

import dbus
from lullwick_e2e import microphone_streams, wait_for

BINARY, CORPUS, ARTIFACTS = sys.argv[1:4]
del sys.argv[1:4]

DOUBLE_CLAP = os.path.join(CORPUS, "p01_double_040_quiet.wav")
SPEECH = os.path.join(CORPUS, "p07_speech_tts.wav")
MUSIC = os.path.join(CORPUS, "p08_music_only.wav")
GOOD_NIGHT = "Lullwick: Good night"
CONFIRM = "Lullwick: Sleep?"
LOGIND = "org.freedesktop.login1"


def window_id(title):
    pattern = "^" + "".join("\\" + c if c in ".?*+()[]{}|^$\\" else c for c in title) + "$"
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                           capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def window_shown(title):
    return window_id(title) is not None


PLAYERS = []


def play(path):
    """Starts playing the scene into the virtual microphone; the card may come and go before
    the scene ends, so the caller watches while it plays."""
    player = subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_SINK"], path])
    PLAYERS.append(player)
    return player


DARK = os.environ.get("LULLWICK_TEST_THEME") == "dark"
KDE_DARK_COLOURS = """[Colors:Window]
BackgroundNormal=42,46,50
ForegroundNormal=252,252,252
[Colors:View]
BackgroundNormal=27,30,32
ForegroundNormal=252,252,252
[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252
[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252
"""


def window_geometry(wid):
    shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(wid)],
                           capture_output=True, text=True, check=True).stdout
    values = dict(line.split("=", 1) for line in shell.split())
    return [int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")]


def focused_window():
    return int(subprocess.run(["xdotool", "getwindowfocus", "-f"], capture_output=True,
                              text=True, check=True).stdout)


def screenshot(name, title):
    """The card's window and a little of the desktop around it."""
    os.makedirs(ARTIFACTS, exist_ok=True)
    x, y, width, height = window_geometry(window_id(title))
    crop = f"{width + 20}x{height + 20}+{max(0, x - 10)}+{max(0, y - 10)}"
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage",
                    os.path.join(ARTIFACTS, name + ("-dark" if DARK else "") + ".png")],
                   check=True, timeout=30)


def accessible_card(name):
    """(description, [button names]) of the card a screen reader finds, or None."""
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == name:
                buttons = pyatspi.findAllDescendants(
                    window, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
                return window.description, sorted(b.name for b in buttons)
    return None


class DoubleClapFlow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The accessibility bus a desktop session starts; Qt finds it through the session bus.
        cls.atspi = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.logind = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system",
                                       "--template", "logind"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        bus = dbus.SystemBus()
        assert wait_for(lambda: bus.name_has_owner(LOGIND), 30), "the logind mock did not start"
        assert wait_for(lambda: dbus.SessionBus().name_has_owner("org.a11y.Bus"), 30), \
            "the accessibility bus did not start"
        cls.mock = dbus.Interface(bus.get_object(LOGIND, "/org/freedesktop/login1"),
                                  "org.freedesktop.DBus.Mock")
        # A null sink left idle holds back the first buffer; a silent stream keeps it running.
        cls.keepalive = subprocess.Popen(
            ["pacat", "--playback", "-d", os.environ["LULLWICK_TEST_SINK"],
             "--latency-msec=20", "--rate=48000", "--channels=1", "--format=float32le",
             "/dev/zero"])

    @classmethod
    def tearDownClass(cls):
        for child in (cls.keepalive, cls.logind, cls.atspi):
            child.terminate()
            child.wait()

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.calls = os.path.join(self.folder.name, "sleep-calls")
        self.sleep_script = os.path.join(self.folder.name, "record-sleep")
        with open(self.sleep_script, "w") as f:
            f.write(f"#!/bin/sh\necho \"$0\" >> {self.calls}\n")
        os.chmod(self.sleep_script, 0o755)
        self.set_inhibitors([])
        self.app = None

    def tearDown(self):
        while PLAYERS:
            PLAYERS.pop().wait(timeout=60)
        if self.app and self.app.poll() is None:
            self.app.terminate()
            try:
                self.app.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
            self.log.seek(0)
            output = self.log.read()
            if output.strip():
                print(f"--- lullwick said:\n{output}", file=sys.stderr)
            self.log.close()
        self.folder.cleanup()

    def set_inhibitors(self, inhibitors):
        """The logind mock lists these (what, who, why, mode, uid, pid) inhibitors."""
        self.mock.AddMethod("", "ListInhibitors", "", "a(ssssuu)", f"ret = {inhibitors!r}")

    def sleep_calls(self):
        if not os.path.exists(self.calls):
            return 0
        with open(self.calls) as f:
            return len(f.read().splitlines())

    def start(self, mode):
        config = os.path.join(self.folder.name, "config")
        os.makedirs(os.path.join(config, "lullwick"))
        with open(os.path.join(config, "lullwick", "settings.json"), "w") as f:
            json.dump({"hasCompletedOnboarding": True, "confirmationMode": mode}, f)
        env = dict(os.environ, XDG_CONFIG_HOME=config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("QT_QPA_PLATFORM", None)
        if DARK:
            with open(os.path.join(config, "kdeglobals"), "w") as f:
                f.write(KDE_DARK_COLOURS)
            env.update(QT_QPA_PLATFORMTHEME="kde", KDE_SESSION_VERSION="5")
        self.log = open(os.path.join(self.folder.name, "lullwick.log"), "w+")
        self.app = subprocess.Popen([BINARY, "--trace-latency", "--sleep-command",
                                     self.sleep_script, "--sleep-fallback", self.sleep_script],
                                    env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 30),
                        "Lullwick did not open the microphone")
        # The first buffers of a new stream are still on their way: let a few arrive.
        time.sleep(1.0)

    def test_a_no_video_sleeps_after_the_good_night_card(self):
        self.start("whenVideoPlaying")
        play(DOUBLE_CLAP)
        self.assertTrue(wait_for(lambda: window_shown(GOOD_NIGHT), 15), "no good-night card")
        shown = time.monotonic()
        screenshot("good-night", GOOD_NIGHT)
        self.assertTrue(wait_for(lambda: self.sleep_calls() == 1, 10), "no sleep command")
        waited = time.monotonic() - shown
        self.assertGreater(waited, 0.9, "the sleep command came before the card's time")
        self.assertTrue(wait_for(lambda: not window_shown(GOOD_NIGHT), 5))
        time.sleep(2)  # a second command would follow at once; give it the chance to show
        self.assertEqual(self.sleep_calls(), 1)
        self.assertIsNone(self.app.poll())

    def test_b_always_asks_escape_cancels_and_the_countdown_sleeps(self):
        self.start("always")
        play(DOUBLE_CLAP)
        self.assertTrue(wait_for(lambda: window_shown(CONFIRM), 15), "no confirmation card")
        screenshot("confirmation-normal", CONFIRM)
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        self.assertTrue(wait_for(lambda: not window_shown(CONFIRM), 5), "Escape did not cancel")
        time.sleep(2)  # a wrongly confirmed sleep comes 1.4 s after the key
        self.assertEqual(self.sleep_calls(), 0)

        time.sleep(1)  # past the detector's cooldown after the last double clap
        play(DOUBLE_CLAP)
        self.assertTrue(wait_for(lambda: window_shown(CONFIRM), 15), "no second confirmation")
        time.sleep(7)  # into the last four seconds, where the mascot falls asleep
        screenshot("confirmation-asleep", CONFIRM)
        self.assertEqual(self.sleep_calls(), 0)
        self.assertTrue(wait_for(lambda: self.sleep_calls() == 1, 15),
                        "the countdown did not end in sleep")
        self.assertFalse(window_shown(CONFIRM))

    def test_c_a_playing_video_turns_the_card_into_a_self_cancelling_one(self):
        self.set_inhibitors([("idle", "mpv", "Playing video", "block", 1000, 4242)])
        self.start("whenVideoPlaying")
        play(DOUBLE_CLAP)
        self.assertTrue(wait_for(lambda: window_shown(CONFIRM), 15), "no confirmation card")
        screenshot("confirmation-video", CONFIRM)
        self.assertTrue(wait_for(lambda: not window_shown(CONFIRM), 20),
                        "the video card did not go away by itself")
        time.sleep(2)
        self.assertEqual(self.sleep_calls(), 0)

    def test_d_speech_and_music_never_put_the_computer_to_sleep(self):
        self.start("always")
        play(SPEECH).wait(timeout=60)
        time.sleep(1)
        self.assertFalse(window_shown(CONFIRM))
        self.assertFalse(window_shown(GOOD_NIGHT))
        # The analysis can take beats of this music for a double clap (its expected lists say
        # so), and live buffers fall differently from the file's: whether it asks may vary,
        # but it never sleeps without being told to.
        play(MUSIC).wait(timeout=60)
        time.sleep(1)
        if window_shown(CONFIRM):
            subprocess.run(["xdotool", "key", "Escape"], check=True)
            self.assertTrue(wait_for(lambda: not window_shown(CONFIRM), 5))
        self.assertFalse(window_shown(GOOD_NIGHT))
        time.sleep(2)
        self.assertEqual(self.sleep_calls(), 0)

    def test_e_the_card_speaks_takes_the_keys_and_gives_them_back(self):
        # A window the user is typing into, like an editor.
        holder = subprocess.Popen(["xmessage", "-title", "Typing here", "-geometry", "+40+40",
                                   "an editor"])
        try:
            self.assertTrue(wait_for(lambda: window_id("Typing here"), 10))
            subprocess.run(["xdotool", "windowactivate", "--sync", str(window_id("Typing here"))],
                           check=True, timeout=10)
            before = focused_window()
            self.start("always")
            play(DOUBLE_CLAP)
            self.assertTrue(wait_for(lambda: window_shown(CONFIRM), 15), "no confirmation card")
            card = window_id(CONFIRM)
            self.assertEqual(focused_window(), card, "the card did not take the keyboard")

            # A click on the shadow beside the card lands on what lies below it.
            x, y, width, height = window_geometry(card)
            subprocess.run(["xdotool", "mousemove", str(x + 3), str(y + height // 2)], check=True)
            under = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True,
                                   text=True, check=True).stdout
            self.assertNotIn(f"WINDOW={card}\n", under)

            spoken = []
            self.assertTrue(wait_for(lambda: spoken.append(accessible_card(
                "Clap-clap detected")) or spoken[-1], 10), "no card in the accessibility tree")
            description, buttons = spoken[-1]
            self.assertRegex(description, r"^Going to sleep in \d+s…$")
            self.assertEqual(buttons, ["Cancel", "Sleep Now"])
            self.assertTrue(wait_for(lambda: (accessible_card("Clap-clap detected") or [None])[0]
                                     not in (None, description), 3), "the countdown was not told")

            subprocess.run(["xdotool", "key", "Escape"], check=True)
            self.assertTrue(wait_for(lambda: not window_shown(CONFIRM), 5), "Escape did not cancel")
            self.assertTrue(wait_for(lambda: focused_window() == before, 3),
                            "the keyboard did not go back to the window that had it")
        finally:
            holder.terminate()
            holder.wait()


if __name__ == "__main__":
    unittest.main(verbosity=2)
