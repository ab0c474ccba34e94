#!/usr/bin/python3
# The computer's own sound never puts it to sleep, and a clap in the room still does: the real
# tray application on a private desktop and a sound server set up as a room.
import os
import subprocess
import sys
import unittest

from lullwick_e2e import (GOOD_NIGHT, Lullwick, keep_sink_running, microphone_streams,
                          reference_streams, start_logind, stop, wait_for, window)

BINARY, CORPUS, PLAYBACK = sys.argv[1:4]
MINUTE = 60


class OwnSound(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        logind, mock = start_logind()
        mock.AddMethod("", "ListInhibitors", "", "a(ssssuu)", "ret = []")  # no video plays
        for child in (logind, keep_sink_running()):
            cls.addClassCleanup(stop, child)

    def listen_to_music(self):
        self.app = Lullwick(BINARY, {"hasCompletedOnboarding": True,
                                     "confirmationMode": "whenVideoPlaying"})
        self.addCleanup(self.app.close)
        self.app.start()
        self.assertTrue(wait_for(lambda: microphone_streams() == 1))
        tracks = " ; ".join(f"paplay -d {os.environ['LULLWICK_TEST_SPEAKERS']} {PLAYBACK}/{name}"
                            for name in ("start1-jt.ogg", "race1-jt.ogg"))
        music = subprocess.Popen(["sh", "-c", f"exec 2>/dev/null; {tracks}"],
                                 start_new_session=True)
        self.addCleanup(self.end, music)
        self.assertTrue(wait_for(lambda: len(reference_streams()) == 1, 10),
                        "what the computer plays is not read")

    @staticmethod
    def end(music):
        try:
            os.killpg(music.pid, 15)
        except ProcessLookupError:
            pass
        music.wait()

    def clap_gives_one_sleep(self):
        # The card is up for 1.4 s, gone before the scene has played to its end.
        clap = subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_ROOM"],
                                 f"{CORPUS}/p01_double_040_quiet.wav"])
        self.addCleanup(clap.wait, 30)
        self.assertTrue(wait_for(lambda: window(GOOD_NIGHT), 10), "no good-night card")
        self.assertTrue(wait_for(lambda: self.app.sleep_calls() == 1, 10))
        self.assertEqual(self.app.settled_sleep_calls(), 1)

    def test_a_music_for_a_minute_never_sleeps_and_a_clap_in_the_room_still_does(self):
        self.listen_to_music()
        self.assertFalse(wait_for(lambda: window(GOOD_NIGHT) or self.app.sleep_calls(), MINUTE),
                         "the music put the computer to sleep")
        self.clap_gives_one_sleep()

    def test_b_with_headphones_a_clap_still_counts_while_music_plays(self):
        air = os.environ.get("LULLWICK_TEST_AIR_MODULE")
        if air:
            subprocess.run(["pactl", "unload-module", air], check=True)
        self.listen_to_music()
        self.clap_gives_one_sleep()


unittest.main(argv=sys.argv[:1], verbosity=2)
