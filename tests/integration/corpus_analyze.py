#!/usr/bin/python3
"""Runs `lullwick analyze` on one recorded scene at every sensitivity and compares the events
with the scene's expected lists: same kinds in the same order, times within 1e-6 s."""
import subprocess
import sys
from pathlib import Path


def parse(text, origin):
    events = []
    for number, line in enumerate(text.splitlines(), 1):
        kind, _, time = line.partition(" ")
        if kind not in ("clap", "double-clap"):
            raise AssertionError(f"{origin}:{number}: unexpected line {line!r}")
        events.append((kind, float(time)))
    return events


def main():
    binary, corpus, scene = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
    failures = []
    for sensitivity in ("low", "medium", "high"):
        expected_file = corpus / f"{scene}.{sensitivity}.expected"
        expected = parse(expected_file.read_text(), expected_file.name)
        run = subprocess.run([binary, "analyze", "--sensitivity", sensitivity,
                              str(corpus / f"{scene}.wav")],
                             capture_output=True, text=True, timeout=60)
        if run.returncode != 0 or run.stderr:
            failures.append(f"{sensitivity}: exit {run.returncode}, stderr {run.stderr!r}")
            continue
        actual = parse(run.stdout, f"{scene} {sensitivity} output")
        kinds_match = [k for k, _ in actual] == [k for k, _ in expected]
        times_match = kinds_match and all(abs(a - e) <= 1e-6 + 1e-9
                                          for (_, a), (_, e) in zip(actual, expected))
        if not times_match:
            failures.append(f"{sensitivity}: expected {expected}, got {actual}")
        else:
            print(f"{scene} {sensitivity}: {len(actual)} events match")
    if failures:
        print("\n".join(failures), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
