#!/usr/bin/python3
"""The loop of scripts/soak, run inside its private desktop, sound server and buses.

Usage: soak.py LULLWICK CORPUS_DIR MINUTES

Plays in a loop the recorded scenes that hold no clap, or claps that make exactly one double
clap at medium sensitivity (not music, whose double claps depend on where buffers begin);
after each, checks that the sleep command ran once per double clap and that the good-night card
came and went. Prints one line per double clap and one per minute, then a summary."""
import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

BINARY, CORPUS, MINUTES = sys.argv[1], sys.argv[2], int(sys.argv[3])
SINK = os.environ["LULLWICK_TEST_ROOM"]  # claps happen in the room
GOOD_NIGHT = "^Lullwick: Good night$"
TICKS = os.sysconf("SC_CLK_TCK")


def scenes():
    """(name, double claps, time of the double clap) of the scenes described above."""
    found = []
    for entry in sorted(os.listdir(CORPUS)):
        if entry.endswith(".medium.expected"):
            name = entry[: -len(".medium.expected")]
            with open(os.path.join(CORPUS, entry)) as f:
                at = [float(line.split()[1]) for line in f if line.startswith("double-clap")]
            with open(os.path.join(CORPUS, name + ".json")) as f:
                claps = any(group["kind"] == "clap" for group in json.load(f)["groups"])
            if len(at) == claps:
                found.append((name, len(at), at[0] if at else None))
    return found


def card_shown():
    return bool(subprocess.run(["xdotool", "search", "--onlyvisible", "--name", GOOD_NIGHT],
                               capture_output=True, text=True).stdout.split())


def capture_streams():
    listing = subprocess.run(["pactl", "list", "short", "source-outputs"],
                             capture_output=True, text=True).stdout
    # The streams of the microphone and of the air are the server's, with no client.
    return sum(1 for line in listing.splitlines() if line.split("\t")[2] != "-")


def records(path):
    """The times the recording script wrote, one a call."""
    try:
        with open(path) as f:
            return [float(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def lines(path):
    return len(records(path))


class Process:
    def __init__(self, pid):
        self.pid = pid

    def resident_kb(self):
        with open(f"/proc/{self.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def descriptors(self):
        return len(os.listdir(f"/proc/{self.pid}/fd"))

    def cpu_seconds(self):
        """User and system time of every thread, the capture thread included."""
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.1)
    return condition()


def main():
    work = tempfile.mkdtemp(prefix="lullwick-soak.")
    os.makedirs(os.path.join(work, "config", "lullwick"))
    # Set up already, no confirmation without a video (there is none): a double clap goes
    # straight to the card and the sleep command.
    with open(os.path.join(work, "config", "lullwick", "settings.json"), "w") as f:
        json.dump({"enabled": True, "hasCompletedOnboarding": True,
                   "confirmationMode": "whenVideoPlaying"}, f)
    sleeps, fallbacks = os.path.join(work, "sleeps"), os.path.join(work, "fallbacks")
    for script, record in (("sleep", sleeps), ("fallback", fallbacks)):
        path = os.path.join(work, script)
        with open(path, "w") as f:
            f.write(f"#!/bin/sh\ndate +%s.%N >>'{record}'\n")
        os.chmod(path, 0o700)

    logind = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                               "logind"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    log = open(os.path.join(work, "lullwick.log"), "w")
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), QT_QPA_PLATFORM="xcb")
    app = subprocess.Popen([BINARY, "--sleep-command", os.path.join(work, "sleep"),
                            "--sleep-fallback", os.path.join(work, "fallback")],
                           env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        return soak(Process(app.pid), app, sleeps, fallbacks, work)
    finally:
        app.terminate()
        app.wait()
        logind.terminate()
        logind.wait()
        shutil.rmtree(work, ignore_errors=True)


def soak(process, app, sleeps, fallbacks, work):
    if not wait_for(lambda: capture_streams() == 1, 15):
        print("soak: the microphone did not open; the application said:", file=sys.stderr)
        with open(os.path.join(work, "lullwick.log")) as f:
            sys.stderr.write(f.read())
        return 1

    playlist = scenes()
    print(f"soak: {MINUTES} min, {len(playlist)} scenes in a loop: "
          + ", ".join(f"{name} ({n})" for name, n, _ in playlist), flush=True)
    print("minute  resident MB  descriptors  CPU % of one core  double claps played/heard"
          "  cards closed  streams", flush=True)
    start = time.monotonic()
    minute_start, cpu_before = start, process.cpu_seconds()
    minute = 0
    samples = []  # (resident kB, descriptors) at the end of each minute
    played = heard = closed = unexpected = 0
    minute_played = minute_heard = minute_closed = 0
    for name, doubles, at in itertools.cycle(playlist):
        if minute >= MINUTES or app.poll() is not None:
            break
        before = lines(sleeps)
        began = time.time()
        player = subprocess.Popen(["paplay", "-d", SINK, os.path.join(CORPUS, name + ".wav")])
        saw_card = False
        while player.poll() is None:
            saw_card = saw_card or card_shown()
            time.sleep(0.1)
        if doubles:
            played += 1
            minute_played += 1
            ran = wait_for(lambda: lines(sleeps) > before, 5)
            took = records(sleeps)[-1] - began - at if ran else 0
            gone = wait_for(lambda: not card_shown(), 3)
            heard += ran
            minute_heard += ran
            closed += ran and gone
            minute_closed += ran and gone
            print(f"  {time.strftime('%H:%M:%S')} {name}: "
                  + (f"heard, sleep command {took:.2f} s after the double clap, "
                     if ran else "NOT HEARD, ")
                  + ("card shown and closed" if saw_card and gone
                     else "card closed" if gone else "CARD STILL SHOWN"), flush=True)
        # Past the detector's 2.5 s cooldown and the card's 1.4 s before the next scene.
        time.sleep(3)
        calls = lines(sleeps) - before
        if calls != doubles:
            unexpected += abs(calls - doubles) if calls > doubles else 0
            if calls > doubles:
                print(f"  {name}: the sleep command ran {calls} times for {doubles} double claps",
                      flush=True)
        now = time.monotonic()
        if now - minute_start >= 60:
            minute += 1
            cpu_now = process.cpu_seconds()
            samples.append((process.resident_kb(), process.descriptors()))
            print(f"{minute:6d}  {samples[-1][0] / 1024:11.1f}  {samples[-1][1]:11d}"
                  f"  {100 * (cpu_now - cpu_before) / (now - minute_start):17.2f}"
                  f"  {minute_played:12d}/{minute_heard:<12d}  {minute_closed:12d}"
                  f"  {capture_streams():7d}", flush=True)
            minute_start, cpu_before = now, cpu_now
            minute_played = minute_heard = minute_closed = 0

    if app.poll() is not None:
        print(f"soak: lullwick exited with status {app.returncode}", file=sys.stderr)
        return 1
    total_cpu = process.cpu_seconds()
    growth_kb = samples[-1][0] - samples[0][0] if samples else 0
    peak_fds = max(s[1] for s in samples) if samples else 0
    fd_growth = peak_fds - samples[0][1] if samples else 0
    print(f"soak: {played} double claps played, {heard} heard, {closed} cards closed, "
          f"{unexpected} sleeps not asked for, {lines(fallbacks)} fallbacks; "
          f"resident {samples[0][0] / 1024:.1f} MB after minute 1, "
          f"{samples[-1][0] / 1024:.1f} MB at the end ({growth_kb:+d} kB); descriptors "
          f"{samples[0][1]} after minute 1, at most {peak_fds} ({fd_growth:+d}); CPU "
          f"{total_cpu:.1f} s in all" if samples else "soak: shorter than a minute", flush=True)
    ok = (samples and played == heard == closed and unexpected == 0 and lines(fallbacks) == 0
          and growth_kb < 1024 and fd_growth <= 0)
    return 0 if ok else 1


sys.exit(main())
