#!/usr/bin/python3
"""The lullwick program as a user starts it: help, version, bad arguments and sleep commands,
a missing display, a second launch."""
import os
import signal
import subprocess
import sys
import tempfile
import unittest

from lullwick_e2e import stop, wait_for

BINARY = sys.argv.pop(1)


class Entry(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        os.chmod(self.home.name, 0o700)
        self.env = dict(os.environ, XDG_CONFIG_HOME=self.home.name, XDG_RUNTIME_DIR=self.home.name,
                        QT_QPA_PLATFORM="offscreen",
                        DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/session",
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/system")
        self.addCleanup(self.home.cleanup)

    def run_lullwick(self, *args, **env):
        return subprocess.run([BINARY, *args], env=dict(self.env, **env), capture_output=True,
                              text=True, timeout=30)

    def start_tray(self):
        child = subprocess.Popen([BINARY], env=self.env)
        self.addCleanup(stop, child)
        lock = os.path.join(self.home.name, f"lullwick-{os.getuid()}.lock")

        def holds_lock():
            try:
                with open(lock) as f:  # QLockFile's first line: the holder's pid
                    return f.readline().strip() == str(child.pid)
            except OSError:
                return False
        self.assertTrue(wait_for(lambda: child.poll() is not None or holds_lock()))
        self.assertIsNone(child.poll(), "the tray application ended at once")
        return child

    def test_arguments(self):
        plain = os.path.join(self.home.name, "plain")
        open(plain, "w").close()
        for args, status, output in [
                (["--help"], 0, r"^Usage: lullwick"), (["--version"], 0, r"^lullwick \d+\.\d+\.\d+\n$"),
                (["--nope"], 2, r"Usage: lullwick"),
                (["--sleep-command", "relative/x"], 2, r"relative/x is not an absolute path"),
                (["--sleep-command", "/nonexistent/x"], 2, r"/nonexistent/x does not exist"),
                (["--sleep-fallback", plain], 2, plain + " is not an executable file")]:
            result = self.run_lullwick(*args)
            self.assertEqual(result.returncode, status, args)
            self.assertRegex(result.stdout if status == 0 else result.stderr, output)

    def test_no_display_is_one_clear_line(self):
        del self.env["QT_QPA_PLATFORM"]
        self.env.pop("DISPLAY", None)
        for display, named in ((None, "DISPLAY is not set"), (":93", '":93"')):
            result = self.run_lullwick(**({"DISPLAY": display} if display else {}))
            self.assertEqual(result.returncode, 1)
            self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
            self.assertIn(named, result.stderr)

    def test_one_instance_at_a_time(self):
        first = self.start_tray()
        second = self.run_lullwick()
        self.assertEqual((second.returncode, second.stderr), (1, "Lullwick is already running.\n"))
        first.send_signal(signal.SIGTERM)
        self.assertEqual(first.wait(timeout=10), 0)
        # The lock is released on a clean end, and a dead process's lock does not count.
        killed = self.start_tray()
        killed.kill()
        killed.wait()
        self.start_tray()


if __name__ == "__main__":
    unittest.main(verbosity=2)
