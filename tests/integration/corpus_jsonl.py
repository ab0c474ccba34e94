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
    # From the header: the data chunk's size over the fmt chunk's rate and block size.
    data = wav.read_bytes()
    fmt, size = data.find(b"fmt "), struct.unpack_from("<I", data, data.find(b"data") + 4)[0]
    return size // struct.unpack_from("<H", data, fmt + 20)[0] / struct.unpack_from(
        "<I", data, fmt + 12)[0]


def problems(binary, wav, sensitivity):
    def run(*args):
        done = subprocess.run([binary, "analyze", "--sensitivity", sensitivity, *args, str(wav)],
                              capture_output=True, text=True, timeout=60)
        assert done.returncode == 0 and not done.stderr, f"{args}: {done.returncode} {done.stderr}"
        return done.stdout

    objects = [json.loads(line) for line in run("--format", "jsonl", "--levels").splitlines()]
    events, buffers = [o for o in objects if "event" in o], [o for o in objects if "event" not in o]
    times, (min_peak, ratio) = [b["t"] for b in buffers], TUNING[sensitivity]
    heard_at = {b["t"]: b for b in buffers}
    checks = {
        "events differ from the text output":
            "".join(f"{e['event']} {e['t']:.6f}\n" for e in events) != run(),
        "events differ without --levels":
            [json.loads(line) for line in run("--format", "jsonl").splitlines()] != events,
        "buffers out of order or not ending with the file":
            times != sorted(times) or abs(times[-1] - seconds(wav)) > 1e-6,
        "a threshold does not follow from its floor": any(
            abs(b["threshold"] - max(min_peak, b["floor"] * ratio)) > 1e-6 * b["threshold"]
            for b in buffers),
        "a clap on no buffer, or a quiet or blunt one": any(
            b is None or b["peak"] < b["threshold"] or b["crest"] < 2.2
            for b in (heard_at.get(e["t"]) for e in events if e["event"] == "clap")),
    }
    return [problem for problem, found in checks.items() if found]


binary, corpus = sys.argv[1], Path(sys.argv[2])
if not (scenes := sorted(corpus.glob("*.wav"))):
    sys.exit("no scenes")
failures = [f"{wav.stem} {s}: {p}" for wav in scenes for s in TUNING
            for p in problems(binary, wav, s)]
if subprocess.run([binary, "analyze", "--levels", str(scenes[0])]).returncode != 2:
    failures.append("--levels without jsonl is not a usage error")
sys.exit("\n".join(failures) or None)
