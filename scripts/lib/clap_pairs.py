"""The public scenes' double claps that are made of two hand claps: a pair of a scene's own
music or speech, or a clap paired with one, is not a clap."""
import json
import pathlib

MATCH = 0.05  # s: an onset this near a clap of the event list is that clap


def clap_doubles(scene, sensitivity, edges=True):
    """The times of the scene's double claps of two real claps, as the plain analysis finds
    them at the given sensitivity. Without edges, none of the pairs whose gap is at an end of
    the window: whether they count depends on where the buffers fall, which only a file fixes."""
    scene = pathlib.Path(scene)
    info = json.loads(scene.with_suffix(".json").read_text())
    edge = {g["id"] for g in info.get("groups", []) if g.get("edge")}
    claps = [e["onset"] for e in info["events"] if e["kind"] == "clap"
             and (edges or e.get("group") not in edge)]
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
