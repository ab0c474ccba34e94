#!/usr/bin/python3
"""Runs `lullwick analyze --format jsonl --levels` on every recorded scene at every
sensitivity: each line must be a JSON object, the events must equal the text output, and
every buffer's threshold must follow from its floor and the sensitivity."""
import json
import struct
import subprocess
import sys
from pathlib import Path

TUNING = {"low": (0.22, 8.0), "medium": (0.12, 6.0), "high": (0.05, 5.0)}


def seconds(wav):
    """Length of a WAV file from its header."""
    data = wav.read_bytes()
    offset, rate, frame_bytes = 12, None, None
    while offset + 8 <= len(data):
        chunk, size = data[offset:offset + 4], struct.unpack("<I", data[offset + 4:offset + 8])[0]
        if chunk == b"fmt ":
            _, _, rate, _, frame_bytes = struct.unpack("<HHIIH", data[offset + 8:offset + 22])
        elif chunk == b"data":
            return size // frame_bytes / rate
        offset += 8 + size + (size & 1)
    raise AssertionError(f"{wav}: no data chunk")


def analyze(binary, *args):
    run = subprocess.run([binary, "analyze", *args], capture_output=True, text=True, timeout=60)
    if run.returncode != 0 or run.stderr:
        raise AssertionError(f"{args}: exit {run.returncode}, stderr {run.stderr!r}")
    return run.stdout


def check(binary, wav, sensitivity):
    text = analyze(binary, "--sensitivity", sensitivity, str(wav))
    jsonl = analyze(binary, "--sensitivity", sensitivity, "--format", "jsonl", "--levels", str(wav))
    objects = [json.loads(line) for line in jsonl.splitlines()]
    events = [o for o in objects if "event" in o]
    buffers = [o for o in objects if "event" not in o]
    problems = []
    as_text = "".join(f"{e['event']} {e['t']:.6f}\n" for e in events)
    if as_text != text:
        problems.append(f"events {as_text!r} differ from text {text!r}")
    plain = analyze(binary, "--sensitivity", sensitivity, "--format", "jsonl", str(wav))
    if [json.loads(line) for line in plain.splitlines()] != events:
        problems.append("events without --levels differ from those with it")
    min_peak, ratio = TUNING[sensitivity]
    times = [b["t"] for b in buffers]
    if times != sorted(times) or abs(times[-1] - seconds(wav)) > 1e-6:
        problems.append(f"buffer times out of order or not ending at {seconds(wav)}")
    for b in buffers:
        if abs(b["threshold"] - max(min_peak, b["floor"] * ratio)) > 1e-6 * b["threshold"]:
            problems.append(f"threshold at {b['t']}: {b}")
            break
    heard_at = {b["t"]: b for b in buffers}
    for e in events:
        b = heard_at.get(e["t"])
        if e["event"] == "clap" and (b is None or b["peak"] < b["threshold"] or b["crest"] < 2.2):
            problems.append(f"clap at {e['t']} on buffer {b}")
    return problems


def main():
    binary, corpus = sys.argv[1], Path(sys.argv[2])
    failures = []
    scenes = sorted(corpus.glob("*.wav"))
    for wav in scenes:
        for sensitivity in TUNING:
            failures += [f"{wav.stem} {sensitivity}: {p}" for p in check(binary, wav, sensitivity)]
    usage = subprocess.run([binary, "analyze", "--levels", str(scenes[0])], capture_output=True)
    if usage.returncode != 2:
        failures.append(f"--levels without jsonl: exit {usage.returncode}, expected 2")
    if failures or not scenes:
        print("\n".join(failures) or "no scenes", file=sys.stderr)
        sys.exit(1)
    print(f"{len(scenes)} scenes x {len(TUNING)} sensitivities agree")


if __name__ == "__main__":
    main()
