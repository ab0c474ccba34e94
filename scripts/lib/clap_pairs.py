"""The public scenes' double claps that are made of two hand claps: a pair of a scene's own
music or speech, or a clap paired with one, is not a clap."""
import json
import pathlib

MATCH = 0.05  # s: an onset this near a clap of the event list is that clap


def clap_doubles(scene, sensitivity):
    """The times of the scene's double claps of two real claps, as the plain analysis finds
    them at the given sensitivity."""
    scene = pathlib.Path(scene)
    events = json.loads(scene.with_suffix(".json").read_text())["events"]
    claps = [e["onset"] for e in events if e["kind"] == "clap"]
    expected = scene.with_name(f"{scene.stem}.{sensitivity}.expected").read_text().splitlines()
    near = lambda t: any(abs(t - c) <= MATCH for c in claps)
    doubles, onsets = [], []
    for line in expected:
        kind, time = line.split()[:2]
        if kind == "clap":
            onsets.append(float(time))
        elif kind == "double-clap" and len(onsets) >= 2 and near(onsets[-1]) and near(onsets[-2]):
            doubles.append(float(time))
    return doubles
