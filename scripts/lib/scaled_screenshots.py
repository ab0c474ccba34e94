# Takes the screenshots of scripts/scaled-screenshots on the private desktop.
#   scaled_screenshots.py LULLWICK OUT-FOLDER DOUBLE-CLAP.wav
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from lullwick_e2e import (CONFIRM, GOOD_NIGHT, SETUP, Lullwick, active_window_name, key,  # noqa: E402
                          keep_sink_running, microphone_streams, screenshot, stop, wait_for,
                          window)

binary, out, clap = sys.argv[1:4]
suffix = "-x" + os.environ.get("QT_SCALE_FACTOR", "1")
sink = keep_sink_running()
try:
    app = Lullwick(binary, {"microphoneAllowed": True})
    app.start()
    assert wait_for(lambda: active_window_name() == SETUP, 15), "no setup assistant"
    time.sleep(1)  # the window manager frames it, and it fits itself into the screen
    for page in range(5):
        screenshot(out, f"setup-{page}{suffix}")
        key("Return")
    app.close()

    app = Lullwick(binary, {"hasCompletedOnboarding": True, "confirmationMode": "always"})
    app.start()
    assert wait_for(lambda: microphone_streams() == 1), "not listening"
    time.sleep(1.0)  # the first buffers of a new stream are still on their way
    subprocess.run(["paplay", "-d", os.environ["LULLWICK_TEST_ROOM"], clap], check=True)
    assert wait_for(lambda: window(CONFIRM), 15), "no confirmation card"
    time.sleep(0.5)  # its first drawing
    screenshot(out, f"confirmation{suffix}")
    key("Return")
    assert wait_for(lambda: window(GOOD_NIGHT), 5), "no good-night card"
    screenshot(out, f"good-night{suffix}")
    app.close()
finally:
    stop(sink)
