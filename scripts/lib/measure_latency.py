#!/usr/bin/python3
"""Runs the tray application with --trace-latency on the private desktop, sound server and
buses it is started in, plays a recorded double clap N times, and reports the time from the
detector's double-clap callback to the first drawing of the good-night card."""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

binary, scene, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])

with tempfile.TemporaryDirectory() as folder:
    os.makedirs(os.path.join(folder, "lullwick"))
    with open(os.path.join(folder, "lullwick", "settings.json"), "w") as f:
        json.dump({"hasCompletedOnboarding": True, "confirmationMode": "whenVideoPlaying"}, f)
    logind = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                               "logind"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    keepalive = subprocess.Popen(["pacat", "--playback", "-d", os.environ["LULLWICK_TEST_SINK"],
                                  "--latency-msec=20", "--rate=48000", "--channels=1",
                                  "--format=float32le", "/dev/zero"])
    trace = open(os.path.join(folder, "trace"), "w+")
    env = dict(os.environ, XDG_CONFIG_HOME=folder)
    app = subprocess.Popen([binary, "--trace-latency", "--sleep-command", "/bin/true"],
                           env=env, stderr=trace)
    time.sleep(4)  # the microphone opens and the first buffers arrive
    for _ in range(runs):
        subprocess.run(["paplay", "-d", os.environ["LULLWICK_TEST_SINK"], scene], check=True)
        time.sleep(1.5)  # past the detector's 2.5 s cooldown and the card's 1.4 s
    app.terminate()
    app.wait()
    for child in (keepalive, logind):
        child.terminate()
        child.wait()
    trace.seek(0)
    heard, shown = [], []
    for line in trace:
        parts = line.split()
        if len(parts) == 3 and parts[0] == "lullwick-trace":
            (heard if parts[1] == "double-clap" else shown).append(int(parts[2]))

pairs = [(h, s) for h, s in zip(heard, shown) if s >= h]
latencies = sorted((s - h) / 1e6 for h, s in pairs)
if len(latencies) < runs:
    print(f"only {len(latencies)} of {runs} double claps reached the card", file=sys.stderr)
if not latencies:
    sys.exit(1)
print(f"double clap -> good-night card drawn, {len(latencies)} runs: "
      f"median {statistics.median(latencies):.1f} ms, min {latencies[0]:.1f} ms, "
      f"max {latencies[-1]:.1f} ms")
