#!/usr/bin/python3
"""The tray binary closes the microphone on logind's wake notice and reopens it 2 s later.

Run through scripts/with-dbus and scripts/with-sound-server; argument: the lullwick binary.
A python3-dbusmock logind stands in on the private system bus; whether the microphone is open
is read from the private sound server with pactl.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import dbus

TIMEOUT = 30.0  # generous: a loaded 2-core machine


def pactl_rows(what):
    out = subprocess.run(["pactl", "list", "short", what], check=True,
                         capture_output=True, text=True, timeout=10).stdout
    return [line.split("\t") for line in out.splitlines() if line.strip()]


def microphone_streams():
    """Capture streams on the test microphone (not the remap source's own stream)."""
    name = os.environ["LULLWICK_TEST_SOURCE"]
    index = next(row[0] for row in pactl_rows("sources") if row[1] == name)
    return sum(1 for row in pactl_rows("source-outputs") if row[1] == index)


def wait_for(condition, what, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return time.monotonic()
        time.sleep(0.05)
    raise AssertionError("timed out waiting until " + what)


def main():
    binary = sys.argv[1]
    for variable in ("DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS",
                     "LULLWICK_TEST_SOURCE"):
        assert os.environ.get(variable), variable + " unset: run through the server scripts"

    work = tempfile.mkdtemp(prefix="lullwick-e2e-wake.")
    processes = []
    try:
        env = dict(os.environ, XDG_CONFIG_HOME=work + "/config",
                   XDG_RUNTIME_DIR=work + "/runtime", QT_QPA_PLATFORM="offscreen")
        os.makedirs(work + "/config/lullwick")
        os.makedirs(work + "/runtime", mode=0o700)
        with open(work + "/config/lullwick/settings.json", "w") as f:
            json.dump({"enabled": True, "hasCompletedOnboarding": True}, f)

        bus = dbus.SystemBus()
        processes.append(subprocess.Popen(
            ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind"],
            stdout=subprocess.DEVNULL))
        wait_for(lambda: bus.name_has_owner("org.freedesktop.login1"), "logind is on the bus")
        mock = dbus.Interface(bus.get_object("org.freedesktop.login1", "/org/freedesktop/login1"),
                              "org.freedesktop.DBus.Mock")

        # Never the real suspend: a harmless program stands in.
        processes.append(subprocess.Popen(
            [binary, "--sleep-command", "/bin/true", "--sleep-fallback", "/bin/true"],
            env=env, stdout=subprocess.DEVNULL))
        wait_for(lambda: microphone_streams() == 1, "the microphone is open")

        def wake():
            mock.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                            [dbus.Boolean(False)])

        # Lullwick follows logind asynchronously after start; until it does, a wake notice
        # goes unheard. Repeat the first one until it is heard and capture is back.
        deadline = time.monotonic() + TIMEOUT
        while True:
            wake()
            try:
                wait_for(lambda: microphone_streams() == 0, "the microphone closes", 1.5)
                break
            except AssertionError:
                if time.monotonic() > deadline:
                    raise
        wait_for(lambda: microphone_streams() == 1, "the microphone reopens")

        # Now a single notice, timed.
        woke = time.monotonic()
        wake()
        wait_for(lambda: microphone_streams() == 0, "the microphone closes")
        reopened = wait_for(lambda: microphone_streams() == 1, "the microphone reopens")
        assert processes[-1].poll() is None, "lullwick exited"
        assert reopened - woke >= 2.0, "reopened %.2f s after the wake" % (reopened - woke)
        print("closed at the wake notice, reopened after %.2f s" % (reopened - woke))
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
