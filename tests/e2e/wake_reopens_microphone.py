#!/usr/bin/python3
# The tray binary closes the microphone on logind's wake notice and reopens it.
import sys

import dbus
from lullwick_e2e import Lullwick, microphone_streams, start_logind, stop, wait_for

logind, mock = start_logind()
app = Lullwick(sys.argv[1], {"enabled": True, "hasCompletedOnboarding": True},
               env={"QT_QPA_PLATFORM": "offscreen"})
try:
    app.start()
    assert wait_for(lambda: microphone_streams() == 1), "the microphone never opened"

    def wake():
        mock.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                        [dbus.Boolean(False)])
        return wait_for(lambda: microphone_streams() == 0, 1.5)

    # Lullwick follows logind asynchronously after start; until then a notice goes unheard.
    assert wait_for(wake) and wait_for(lambda: microphone_streams() == 1)
    assert app.process.poll() is None
finally:
    app.close()
    stop(logind)
