#!/usr/bin/python3
# The lullwick program as a user starts it, without a desktop.
import signal
import subprocess
import sys
import tempfile
import unittest

from lullwick_e2e import headless_env, start_headless, stop

BINARY = sys.argv[1]


class Entry(unittest.TestCase):
    def setUp(self):
        self.home = self.enterContext(tempfile.TemporaryDirectory())  # 0700, as a runtime folder

    def run_lullwick(self, *args, **changes):
        env = {k: v for k, v in dict(headless_env(self.home), **changes).items() if v is not None}
        return subprocess.run([BINARY, *args], env=env, capture_output=True, text=True, timeout=30)

    def test_arguments(self):
        for args, status, output in [
                (["--help"], 0, r"^Usage: lullwick"),
                (["--version"], 0, r"^lullwick \d+\.\d+\.\d+\n$"),
                (["--nope"], 2, r"Usage: lullwick"),
                (["--sleep-command", "relative/x"], 2, r"relative/x is not an absolute path"),
                (["--sleep-command", "/nonexistent/x"], 2, r"/nonexistent/x does not exist"),
                (["--sleep-fallback", "/etc/passwd"], 2, "/etc/passwd is not an executable file")]:
            result = self.run_lullwick(*args)
            self.assertEqual(result.returncode, status, args)
            self.assertRegex(result.stdout if status == 0 else result.stderr, output)

    def test_no_display_is_one_clear_line(self):
        for display, named in ((None, "DISPLAY is not set"), (":93", '":93"')):
            result = self.run_lullwick(QT_QPA_PLATFORM=None, DISPLAY=display)
            self.assertEqual((result.returncode, len(result.stderr.splitlines())), (1, 1))
            self.assertIn(named, result.stderr)

    def test_one_instance_at_a_time(self):
        first = start_headless(BINARY, self.home)
        self.addCleanup(stop, first)
        second = self.run_lullwick()
        self.assertEqual((second.returncode, second.stderr), (1, "Lullwick is already running.\n"))
        first.send_signal(signal.SIGTERM)
        self.assertEqual(first.wait(timeout=10), 0)
        # The lock is released on a clean end, and a dead process's lock does not count.
        killed = start_headless(BINARY, self.home)
        killed.kill()
        killed.wait()
        self.addCleanup(stop, start_headless(BINARY, self.home))

unittest.main(argv=sys.argv[:1], verbosity=2)
