#!/usr/bin/python3
"""The tray binary closes the microphone on logind's wake notice and reopens it 2 s later.
Run through scripts/with-dbus and scripts/with-sound-server; argument: the lullwick binary."""
import json
import os
import subprocess
import sys
import tempfile
import time

import dbus
from lullwick_e2e import microphone_streams, start_logind, stop, wait_for

with tempfile.TemporaryDirectory() as work:
    os.makedirs(work + "/config/lullwick")
    with open(work + "/config/lullwick/settings.json", "w") as f:
        json.dump({"enabled": True, "hasCompletedOnboarding": True}, f)
    env = dict(os.environ, XDG_CONFIG_HOME=work + "/config", QT_QPA_PLATFORM="offscreen")
    logind, mock = start_logind()
    # Never the real suspend: a harmless program stands in.
    app = subprocess.Popen([sys.argv[1], "--sleep-command", "/bin/true", "--sleep-fallback",
                            "/bin/true"], env=env, stdout=subprocess.DEVNULL)
    try:
        assert wait_for(lambda: microphone_streams() == 1), "the microphone never opened"

        def wake():
            mock.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                            [dbus.Boolean(False)])
            return wait_for(lambda: microphone_streams() == 0, 1.5)

        # Lullwick follows logind asynchronously after start; until then a notice goes unheard.
        assert wait_for(wake), "the microphone did not close at the wake notice"
        assert wait_for(lambda: microphone_streams() == 1), "the microphone did not reopen"
        woke = time.monotonic()
        assert wake(), "the microphone did not close at the second wake notice"
        assert wait_for(lambda: microphone_streams() == 1), "the microphone did not reopen"
        assert app.poll() is None, "lullwick exited"
        waited = time.monotonic() - woke
        assert waited >= 2.0, f"reopened {waited:.2f} s after the wake"
        print(f"closed at the wake notice, reopened after {waited:.2f} s")
    finally:
        stop(app)
        stop(logind)
