#!/usr/bin/python3
"""The lullwick program as a user starts it: help, version, usage errors, a missing display,
a second launch, a damaged settings file, bad sleep commands."""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BINARY = sys.argv.pop(1)


def wait_for(condition, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return False


class Entry(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.runtime = tempfile.TemporaryDirectory()
        os.chmod(self.runtime.name, 0o700)
        self.env = dict(os.environ)
        self.env.update(XDG_CONFIG_HOME=os.path.join(self.home.name, "config"),
                        XDG_RUNTIME_DIR=self.runtime.name,
                        QT_QPA_PLATFORM="offscreen",
                        DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/session",
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/system")
        self.children = []

    def tearDown(self):
        for child in self.children:
            if child.poll() is None:
                child.kill()
            child.wait()
        self.home.cleanup()
        self.runtime.cleanup()

    def run_lullwick(self, *args, env=None, timeout=30):
        return subprocess.run([BINARY, *args], env=env or self.env, capture_output=True,
                              text=True, timeout=timeout)

    def start_tray(self, *args):
        child = subprocess.Popen([BINARY, *args], env=self.env, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True)
        self.children.append(child)
        lock = os.path.join(self.runtime.name, f"lullwick-{os.getuid()}.lock")
        self.assertTrue(wait_for(lambda: os.path.exists(lock) or child.poll() is not None))
        self.assertIsNone(child.poll(), "the tray application ended at once")
        return child

    def test_help_and_version(self):
        result = self.run_lullwick("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn("Usage: lullwick", result.stdout)
        self.assertIn("analyze", result.stdout)
        result = self.run_lullwick("--version")
        self.assertEqual(result.returncode, 0)
        self.assertRegex(result.stdout, r"^lullwick \d+\.\d+\.\d+\n$")

    def test_bad_usage_exits_2_with_a_usage_line(self):
        for args in (["analyze"], ["--nope"], ["analyze", "--sensitivity", "loud", "x.wav"]):
            result = self.run_lullwick(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("Usage: lullwick", result.stderr)
            self.assertEqual(result.stdout, "")

    def test_analyze_needs_no_display(self):
        env = {k: v for k, v in self.env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        result = self.run_lullwick("analyze", "/nonexistent.wav", env=env)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(len(result.stderr.splitlines()), 1)
        self.assertIn("/nonexistent.wav", result.stderr)

    def test_no_display_is_one_clear_line(self):
        env = {k: v for k, v in self.env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        result = self.run_lullwick(env=env)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
        self.assertIn("display", result.stderr)

        # A display that nobody serves: still one line and a plain exit, not an abort.
        env["DISPLAY"] = ":93"
        result = self.run_lullwick(env=env)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
        self.assertIn(":93", result.stderr)

    def test_second_launch_says_so_and_a_stale_lock_is_taken_over(self):
        first = self.start_tray()
        second = self.run_lullwick()
        self.assertEqual(second.returncode, 1)
        self.assertEqual(second.stderr, "Lullwick is already running.\n")
        self.assertIsNone(first.poll())

        first.send_signal(signal.SIGKILL)
        first.wait()
        # The dead process's lock file is still there; a new launch must not be refused.
        third = self.start_tray()
        time.sleep(0.5)  # long enough for a wrongly refused launch to have exited
        self.assertIsNone(third.poll(), third.stderr.read() if third.poll() is not None else "")

    def test_sigterm_ends_the_tray_application_cleanly(self):
        child = self.start_tray()
        child.send_signal(signal.SIGTERM)
        self.assertEqual(child.wait(timeout=10), 0)
        # The lock is released, so the next launch is not refused.
        self.start_tray()

    def test_damaged_settings_are_kept_aside_and_reported(self):
        folder = os.path.join(self.env["XDG_CONFIG_HOME"], "lullwick")
        os.makedirs(folder)
        with open(os.path.join(folder, "settings.json"), "w") as f:
            f.write('{"enabled": fal')
        child = self.start_tray()
        self.assertTrue(wait_for(lambda: any(n.startswith("settings.json.broken-")
                                             for n in os.listdir(folder))))
        child.terminate()
        _, err = child.communicate(timeout=10)
        lines = [l for l in err.splitlines() if "settings" in l]
        self.assertEqual(len(lines), 1, err)
        aside = [n for n in os.listdir(folder) if n.startswith("settings.json.broken-")]
        with open(os.path.join(folder, aside[0])) as f:
            self.assertEqual(f.read(), '{"enabled": fal')

    def test_sleep_commands_are_checked_at_start(self):
        plain = os.path.join(self.home.name, "not-a-program")
        with open(plain, "w") as f:
            f.write("#!/bin/sh\n")
        os.chmod(plain, 0o644)
        cases = [("--sleep-command", "relative/suspend", "absolute"),
                 ("--sleep-command", "/nonexistent/suspend", "does not exist"),
                 ("--sleep-fallback", plain, "executable"),
                 ("--sleep-command", self.home.name, "executable")]
        for option, value, reason in cases:
            result = self.run_lullwick(option, value, timeout=10)
            self.assertEqual(result.returncode, 2, (option, value))
            self.assertIn(value, result.stderr)
            self.assertIn(reason, result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
