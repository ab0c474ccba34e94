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
    # Length of a WAV file from its header: the chunks after "RIFF....WAVE".
    data, offset, fmt = wav.read_bytes(), 12, None
    while offset + 8 <= len(data):
        chunk, size = data[offset:offset + 4], struct.unpack_from("<I", data, offset + 4)[0]
        if chunk == b"fmt ":
            fmt = struct.unpack_from("<HHIIH", data, offset + 8)
        elif chunk == b"data":
            return size // fmt[4] / fmt[2]
        offset += 8 + size + (size & 1)
    raise AssertionError(f"{wav}: no data chunk")


def problems(binary, wav, sensitivity):
    def run(*args):
        done = subprocess.run([binary, "analyze", "--sensitivity", sensitivity, *args, str(wav)],
                              capture_output=True, text=True, timeout=60)
        assert done.returncode == 0 and not done.stderr, f"{args}: {done.returncode} {done.stderr}"
        return done.stdout

    objects = [json.loads(line) for line in run("--format", "jsonl", "--levels").splitlines()]
    events, buffers = [o for o in objects if "event" in o], [o for o in objects if "event" not in o]
    if "".join(f"{e['event']} {e['t']:.6f}\n" for e in events) != run():
        yield f"events {events} differ from the text output"
    if [json.loads(line) for line in run("--format", "jsonl").splitlines()] != events:
        yield "events without --levels differ from those with it"
    times = [b["t"] for b in buffers]
    if times != sorted(times) or abs(times[-1] - seconds(wav)) > 1e-6:
        yield f"buffer times out of order or not ending at {seconds(wav)}"
    min_peak, ratio = TUNING[sensitivity]
    if any(abs(b["threshold"] - max(min_peak, b["floor"] * ratio)) > 1e-6 * b["threshold"]
           for b in buffers):
        yield "a threshold does not follow from its floor"
    heard_at = {b["t"]: b for b in buffers}
    for b in (heard_at.get(e["t"]) for e in events if e["event"] == "clap"):
        if b is None or b["peak"] < b["threshold"] or b["crest"] < 2.2:
            yield f"a clap on buffer {b}"


binary, corpus = sys.argv[1], Path(sys.argv[2])
if not (scenes := sorted(corpus.glob("*.wav"))):
    sys.exit("no scenes")
failures = [f"{wav.stem} {s}: {p}" for wav in scenes for s in TUNING
            for p in problems(binary, wav, s)]
usage = subprocess.run([binary, "analyze", "--levels", str(scenes[0])], capture_output=True)
if usage.returncode != 2:
    failures.append(f"--levels without jsonl: exit {usage.returncode}, expected 2")
if failures:
    sys.exit("\n".join(failures))
print(f"{len(scenes)} scenes x {len(TUNING)} sensitivities agree")
