#!/usr/bin/python3
"""Runs the tray application with --trace-latency on the private desktop, sound server and
buses it is started in, plays a recorded double clap N times into the room, and reports the
time from the second clap to the first drawing of the good-night card, and from the
detector's double-clap callback to it.

The second clap is dated by a recorder of the room: the monotonic clock when its samples
arrive, less the samples that follow the clap's onset (where the level first rises past a
tenth of full scale after 0.2 s below it). The recorder asks for fragments no smaller than the
microphone's and nothing else plays into the room, so that the server delivers the microphone's
reads as it would with nothing but Lullwick recording; a stream with short fragments would
make it deliver them in short pieces, sooner.

With MUSIC (a folder), its pieces play into the speakers meanwhile, one after another: the
time a clap waits for the played sound that could explain it is then included. Run it with
headphones (no air), or the recorder would take the music's own onsets for claps."""
import glob
import json
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

binary, scene, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
MUSIC = sys.argv[4] if len(sys.argv) > 4 else ""
RATE, THRESHOLD, QUIET = 48000, 0.1, 0.2
ROOM = os.environ["LULLWICK_TEST_ROOM"]
SPEAKERS = os.environ["LULLWICK_TEST_SPEAKERS"]
# The microphone's reads are 4096 frames (85 ms at 48 kHz).
RECORDER_MS = 100


def record(recorder, onsets):
    """Appends the monotonic time (ns) of every onset the recorder hears."""
    position, last_loud, block = 0, -RATE, b""
    while chunk := os.read(recorder.stdout.fileno(), 65536):
        arrived = time.monotonic_ns()
        block += chunk
        usable = len(block) // 4 * 4
        samples = memoryview(block[:usable]).cast("f")
        for index, value in enumerate(samples):
            if abs(value) > THRESHOLD:
                if position + index - last_loud > QUIET * RATE:
                    onsets.append(arrived - (len(samples) - index) * 1_000_000_000 // RATE)
                last_loud = position + index
        position += len(samples)
        block = block[usable:]


def summary(name, values):
    return (f"{name}, {len(values)} runs: median {statistics.median(values):.1f} ms, "
            f"min {min(values):.1f} ms, max {max(values):.1f} ms")


with tempfile.TemporaryDirectory() as folder:
    os.makedirs(os.path.join(folder, "lullwick"))
    with open(os.path.join(folder, "lullwick", "settings.json"), "w") as f:
        json.dump({"hasCompletedOnboarding": True, "confirmationMode": "whenVideoPlaying"}, f)
    logind = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                               "logind"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    recorder = subprocess.Popen(["parec", "-d", ROOM + ".monitor", "--raw",
                                 f"--latency-msec={RECORDER_MS}", f"--rate={RATE}",
                                 "--channels=1", "--format=float32le"], stdout=subprocess.PIPE)
    player = None
    if MUSIC:
        pieces = sorted(glob.glob(os.path.join(MUSIC, "*.ogg")))
        player = subprocess.Popen(["bash", "-c", 'while :; do for f; do paplay -d "$0" "$f" || '
                                   'exit; done; done', SPEAKERS, *pieces], start_new_session=True)
    onsets = []
    listener = threading.Thread(target=record, args=(recorder, onsets), daemon=True)
    listener.start()
    trace = open(os.path.join(folder, "trace"), "w+")
    env = dict(os.environ, XDG_CONFIG_HOME=folder)
    app = subprocess.Popen([binary, "--trace-latency", "--sleep-command", "/bin/true"],
                           env=env, stderr=trace)
    time.sleep(4)  # the microphone opens and the first buffers arrive
    for _ in range(runs):
        subprocess.run(["paplay", "-d", ROOM, scene], check=True)
        time.sleep(1.5)  # past the detector's 2.5 s cooldown and the card's 1.4 s
    app.terminate()
    app.wait()
    if player:
        os.killpg(player.pid, 15)
        player.wait()
    for child in (recorder, logind):
        child.terminate()
        child.wait()
    listener.join()
    trace.seek(0)
    heard, shown = [], []
    for line in trace:
        parts = line.split()
        if len(parts) == 3 and parts[0] == "lullwick-trace":
            (heard if parts[1] == "double-clap" else shown).append(int(parts[2]))

pairs = [(h, s) for h, s in zip(heard, shown) if s >= h]
if len(pairs) < runs:
    print(f"only {len(pairs)} of {runs} double claps reached the card", file=sys.stderr)
if not pairs:
    sys.exit(1)
# The clap before each card is the run's second.
from_clap = [(s - max(o for o in onsets if o < s)) / 1e6 for _, s in pairs
             if any(o < s for o in onsets)]
print(summary("second clap -> good-night card drawn", from_clap))
print(summary("double-clap callback -> good-night card drawn", [(s - h) / 1e6 for h, s in pairs]))
