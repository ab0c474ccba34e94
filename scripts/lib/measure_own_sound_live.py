#!/usr/bin/python3
"""On the room that scripts/with-sound-server set up, at the air's delay and attenuation it was
given: `lullwick listen` at every sensitivity, all at once, while the computer plays.
  music FILE...        plays each file into the speakers; prints the double claps heard
  scenes MUSIC FILE... plays each scene into the room, alone and then while MUSIC plays in
                       the speakers (twice); prints, each way, how many of the scene's double
                       claps of two real claps were heard, near the time the scene has them
One line of JSON on standard output."""
import datetime
import json
import os
import subprocess
import sys
import time

from clap_pairs import clap_doubles

binary, mode, files = sys.argv[1], sys.argv[2], sys.argv[3:]
SPEAKERS, ROOM = os.environ["LULLWICK_TEST_SPEAKERS"], os.environ["LULLWICK_TEST_ROOM"]
LEVELS = ("low", "medium", "high")
# A double clap heard this near the scene's own time of it (s) is that one: the player's start
# and the way through the air and the microphone's reads come on top.
NEAR = 0.3
ROUNDS = 2


def play(sink, path):
    subprocess.run(["paplay", "-d", sink, path], check=True)


class Listeners:
    def __init__(self):
        self.children = {}
        for level in LEVELS:
            out = open(f"/tmp/lullwick-live-{os.getpid()}-{level}", "w+")
            child = subprocess.Popen([binary, "listen", "--sensitivity", level], stdout=out,
                                     stderr=subprocess.STDOUT)
            self.children[level] = (child, out)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not all(self.lines(l) for l in LEVELS):
            time.sleep(0.05)
        time.sleep(1.0)  # the first reads of a new stream

    def lines(self, level):
        out = self.children[level][1]
        out.seek(0)
        return out.read().splitlines()

    def doubles_at(self, level):
        """The wall-clock times of the double claps heard at that level."""
        today = datetime.date.today()
        return [datetime.datetime.combine(
                    today, datetime.datetime.strptime(line.split()[1], "%H:%M:%S.%f").time())
                .timestamp() for line in self.lines(level) if line.startswith("double-clap ")]

    def doubles(self):
        return {l: sum(1 for line in self.lines(l) if line.startswith("double-clap")) for l in LEVELS}

    def close(self):
        for child, out in self.children.values():
            child.terminate()
            child.wait()
            os.unlink(out.name)


keepalive = subprocess.Popen(["pacat", "--playback", "-d", ROOM, "--latency-msec=20",
                              "--rate=48000", "--channels=1", "--format=float32le", "/dev/zero"])
listeners = Listeners()
result = {}
try:
    if mode == "music":
        seconds = 0.0
        for path in files:
            start = time.monotonic()
            play(SPEAKERS, path)
            seconds += time.monotonic() - start
        time.sleep(1.0)  # the last of it through the air and the microphone's reads
        result = {"seconds": round(seconds, 1), "doubles": listeners.doubles()}
    else:
        music, scenes = files[0], files[1:]
        # Live, the buffers fall anywhere: a pair at an end of the window counts or not by chance,
        # with music or without.
        wanted = {path: {l: clap_doubles(path, l, edges=False) for l in LEVELS} for path in scenes}

        def heard(path):
            started = time.time()
            play(ROOM, path)
            time.sleep(2.6)  # past the detector's cooldown
            at = {l: [t - started for t in listeners.doubles_at(l) if t >= started]
                  for l in LEVELS}
            return {l: sum(any(abs(t - w) <= NEAR for t in at[l]) for w in wanted[path][l])
                    for l in LEVELS}

        heard(scenes[0])  # the room's first sound starts late: not measured
        alone = {path: heard(path) for path in scenes}
        player = subprocess.Popen(["sh", "-c", f"while :; do paplay -d {SPEAKERS} {music}; done"],
                                  start_new_session=True)
        time.sleep(3.0)  # the analysis learns the played sound
        # Twice, on other parts of the music: which of its beats a clap meets is chance.
        with_music = [{path: heard(path) for path in scenes} for _ in range(ROUNDS)]
        os.killpg(player.pid, 15)
        player.wait()
        # Of the pairs found alone, how many were found again while the music played.
        found = {l: {"alone": sum(alone[p][l] for p in scenes) * ROUNDS,
                     "with music": sum(min(r[p][l], alone[p][l]) for r in with_music
                                       for p in scenes)} for l in LEVELS}
        result = {"pairs": {p: {l: len(wanted[p][l]) for l in LEVELS} for p in scenes},
                  "alone": alone, "music": with_music, "found": found}
finally:
    listeners.close()
    keepalive.terminate()
    keepalive.wait()
print(json.dumps(result))
