#!/usr/bin/python3
# The first start, the microphone question and a second launch on a private desktop.
import os
import subprocess
import sys
import unittest

from lullwick_e2e import (QUESTION, SETUP, ExportedMenu, active_window_name, has_keyboard, key,
                          microphone_streams, start_accessibility, start_watcher, started, stop,
                          wait_for, window)

BINARY, WATCHER = sys.argv[1:3]


class SetupAssistant(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for child in (start_watcher(WATCHER), start_accessibility()):
            cls.addClassCleanup(stop, child)

    def answer_and_finish(self, answer):
        lullwick = started(self, BINARY, env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        self.assertTrue(wait_for(lambda: active_window_name() == SETUP, 10))
        self.assertEqual(microphone_streams(), 0)
        key("Return")  # "Get Started"
        self.assertTrue(wait_for(lambda: has_keyboard(SETUP, "Enable Microphone…"), 10))
        key("space")
        self.assertTrue(wait_for(lambda: active_window_name() == QUESTION, 10))
        key(answer)
        self.assertTrue(wait_for(lambda: not window(QUESTION), 5))
        self.assertTrue(wait_for(lambda: active_window_name() == SETUP, 10))
        key("Return", "Return", "Return", "Return")  # "Continue", pages 3 and 4, then "Finish"
        self.assertTrue(wait_for(lambda: not window(SETUP), 5))
        self.assertTrue(wait_for(lambda: lullwick.settings().get("hasCompletedOnboarding"), 5))

    def test_a_allowing_opens_the_microphone(self):
        self.answer_and_finish("Return")  # "Allow", the question's default
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))

    def test_b_a_refusal_opens_nothing(self):
        self.answer_and_finish("Escape")  # "Don't Allow"
        # The menu answers once the end of the setup, and capture with it, has been handled.
        self.assertEqual(ExportedMenu().labels()[0], "Microphone access needed")
        self.assertEqual(microphone_streams(), 0)

    def test_c_a_second_launch_brings_the_running_one_to_the_front(self):
        lullwick = started(self, BINARY, {"hasCompletedOnboarding": True})
        self.assertTrue(wait_for(lambda: microphone_streams() == 1, 10))
        second = subprocess.run([BINARY], env=dict(os.environ, XDG_CONFIG_HOME=lullwick.config),
                                capture_output=True, text=True, timeout=30)
        self.assertEqual(second.returncode, 1)
        self.assertTrue(wait_for(lambda: active_window_name() == SETUP, 10))
        self.assertIsNone(lullwick.process.poll())


unittest.main(argv=sys.argv[:1], verbosity=2)
