#!/usr/bin/python3
"""Runs `lullwick analyze` on one recorded scene at every sensitivity and compares the events
with the scene's expected lists: same kinds in the same order, times within 1e-6 s.
Usage: corpus_analyze.py LULLWICK CORPUS_DIR SCENE"""
import subprocess
import sys
from pathlib import Path


def events(text):
    return [(kind, float(time)) for kind, time in (line.split(" ") for line in text.splitlines())]


binary, corpus, scene = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
failures = []
for sensitivity in ("low", "medium", "high"):
    expected = events((corpus / f"{scene}.{sensitivity}.expected").read_text())
    run = subprocess.run([binary, "analyze", "--sensitivity", sensitivity,
                          str(corpus / f"{scene}.wav")], capture_output=True, text=True, timeout=60)
    actual = events(run.stdout) if run.returncode == 0 and not run.stderr else None
    if actual is None or [k for k, _ in actual] != [k for k, _ in expected] or any(
            abs(a - e) > 1e-6 + 1e-9 for (_, a), (_, e) in zip(actual, expected)):
        failures.append(f"{sensitivity}: expected {expected}, got {actual or run}")
    else:
        print(f"{scene} {sensitivity}: {len(actual)} events match")
sys.exit("\n".join(failures) or None)
