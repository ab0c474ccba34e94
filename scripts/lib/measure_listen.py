#!/usr/bin/python3
"""The runs of scripts/measure-listen, inside its private desktop, sound server and buses.

Usage: measure_listen.py LULLWICK MUSIC_FOLDER SECONDS

One after another on the same server, each for SECONDS: nothing, `parec` with 1024- and
4096-frame fragments, `lullwick listen` and the tray application, first with nothing playing,
then while the pieces of MUSIC_FOLDER play into the speakers, one after another. For each: the
CPU share of one core of the client and of the sound server's processes, from /proc/PID/stat."""
import glob
import json
import os
import subprocess
import sys
import tempfile
import time

BINARY, MUSIC, SECONDS = sys.argv[1], sys.argv[2], float(sys.argv[3])
TICKS = os.sysconf("SC_CLK_TCK")
SERVERS = [int(pid) for pid in os.environ["LULLWICK_TEST_SERVER_PIDS"].split()]
SOURCE, SPEAKERS = os.environ["LULLWICK_TEST_SOURCE"], os.environ["LULLWICK_TEST_SPEAKERS"]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime: all threads


def client_streams():
    listing = subprocess.run(["pactl", "list", "short", "source-outputs"],
                             capture_output=True, text=True).stdout
    return sum(1 for line in listing.splitlines() if line.split("\t")[2] != "-")


def wait_for(condition, timeout=15.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def parec(frames):
    # Two channels of 32-bit floats, as the microphone records: --latency is the fragment.
    return subprocess.Popen(["parec", "-d", SOURCE, "--rate=48000", "--channels=2",
                             "--format=float32le", f"--latency={frames * 8}", "--raw"],
                            stdout=subprocess.DEVNULL)


def listen():
    return subprocess.Popen([BINARY, "listen"], stdout=subprocess.DEVNULL)


def tray(config):
    return subprocess.Popen([BINARY, "--sleep-command", "/bin/true", "--sleep-fallback",
                             "/bin/true"], env=dict(os.environ, XDG_CONFIG_HOME=config,
                                                    QT_QPA_PLATFORM="xcb"),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def measure(name, start, streams):
    child = start() if start else None
    try:
        # With sound playing, Lullwick may read what the speakers play as well.
        if not wait_for(lambda: client_streams() >= streams):
            raise SystemExit(f"measure-listen: {name}: {client_streams()} record streams")
        time.sleep(3)  # past the start: the steady state is measured
        pids = [child.pid] if child else []
        before = [cpu_seconds(pid) for pid in pids + SERVERS]
        began = time.monotonic()
        time.sleep(SECONDS)
        after = [cpu_seconds(pid) for pid in pids + SERVERS]
        wall = time.monotonic() - began
        if child and child.poll() is not None:
            raise SystemExit(f"measure-listen: {name} ended")
        used = [100 * (a - b) / wall for a, b in zip(after, before)]
        own = sum(used[:len(pids)])
        server = sum(used[len(pids):])
        return name, own, server
    finally:
        if child:
            child.terminate()
            child.wait()


def report(title, rows, quiet_server):
    # Against parec with the fragment Lullwick asks of the server for the microphone.
    parec = next(own + server - quiet_server for name, own, server in rows
                 if name == "parec, 4096 frames")
    print(title)
    print(f"  {'':<26}{'client':>8}{'server':>8}{'both':>8}{'added':>8}{'÷ parec':>9}"
          "   (% of one core; ÷ parec: added, against parec with 4096 frames)")
    for name, own, server in rows:
        added = own + server - quiet_server
        ratio = f"{added / parec:9.2f}" if parec > 0 and name != "nothing" else f"{'':9}"
        print(f"  {name:<26}{own:8.2f}{server:8.2f}{own + server:8.2f}{added:8.2f}{ratio}")
    sys.stdout.flush()


with tempfile.TemporaryDirectory() as config:
    os.makedirs(os.path.join(config, "lullwick"))
    with open(os.path.join(config, "lullwick", "settings.json"), "w") as f:
        json.dump({"hasCompletedOnboarding": True, "enabled": True, "scheduleEnabled": False}, f)
    runs = [("nothing", None, 0), ("parec, 1024 frames", lambda: parec(1024), 1),
            ("parec, 4096 frames", lambda: parec(4096), 1), ("lullwick listen", listen, 1),
            ("tray application", lambda: tray(config), 1)]
    quiet = [measure(*run) for run in runs]
    report(f"nothing playing, {SECONDS:.0f} s each:", quiet, quiet[0][2])
    pieces = sorted(glob.glob(os.path.join(MUSIC, "*.ogg")))
    player = subprocess.Popen(["bash", "-c", 'while :; do for f; do paplay -d "$0" "$f" || exit; '
                               'done; done', SPEAKERS, *pieces], start_new_session=True)
    try:
        playing = [measure(*run) for run in runs]
    finally:
        os.killpg(player.pid, 15)
        player.wait()
    report(f"music playing into the speakers, {SECONDS:.0f} s each ('added': over the server "
           "playing it alone):", playing, playing[0][2])
