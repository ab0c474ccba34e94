#!/usr/bin/python3
# Runs `lullwick analyze --format jsonl --levels` on every recorded scene at every sensitivity:
# each line must be a JSON object, the events must equal the text output and those without
# --levels, the buffers must cover the file in order, every threshold must follow from its floor
# and the sensitivity, and every clap must sit on a buffer loud and sharp enough.
import json
import struct
import subprocess
import sys
from pathlib import Path

TUNING = {"low": (0.22, 8.0), "medium": (0.12, 6.0), "high": (0.05, 5.0)}


def seconds(wav):
    # The data chunk's size over the block size and rate of the fmt chunk.
    data = wav.read_bytes()
    rate, block = struct.unpack_from("<4xI4xH", data, data.find(b"fmt ") + 8)
    return struct.unpack_from("<I", data, data.find(b"data") + 4)[0] // block / rate


def problems(binary, wav, sensitivity):
    def run(*args):
        done = subprocess.run([binary, "analyze", "--sensitivity", sensitivity, *args, str(wav)],
                              capture_output=True, text=True, timeout=60)
        assert done.returncode == 0 and not done.stderr, f"{args}: {done.returncode} {done.stderr}"
        return done.stdout

    objects = [json.loads(line) for line in run("--format", "jsonl", "--levels").splitlines()]
    events, buffers = [o for o in objects if "event" in o], [o for o in objects if "event" not in o]
    times, (least, ratio) = [b["t"] for b in buffers], TUNING[sensitivity]
    text = "".join(f"{e['event']} {e['t']:.6f}\n" for e in events)
    claps = [next((b for b in buffers if b["t"] == e["t"]), None) for e in events
             if e["event"] == "clap"]
    return [problem for problem, found in {
        "events differ from the text": text != run(),
        "events differ without --levels":
            [json.loads(line) for line in run("--format", "jsonl").splitlines()] != events,
        "buffers out of order or short":
            times != sorted(times) or abs(times[-1] - seconds(wav)) > 1e-6,
        "a threshold not from its floor":
            any(abs(max(least, b["floor"] * ratio) / b["threshold"] - 1) > 1e-6 for b in buffers),
        "a clap on no, a quiet or a blunt buffer":
            any(b is None or b["peak"] < b["threshold"] or b["crest"] < 2.2 for b in claps),
    }.items() if found]


# No scenes: an IndexError below.
binary, scenes = sys.argv[1], sorted(Path(sys.argv[2]).glob("*.wav"))
failures = [f"{wav.stem} {s}: {p}" for wav in scenes for s in TUNING
            for p in problems(binary, wav, s)]
usage = subprocess.run([binary, "analyze", "--levels", scenes[0]], capture_output=True)
if usage.returncode != 2:
    failures.append("--levels without jsonl is not a usage error")
sys.exit("\n".join(failures) or None)
