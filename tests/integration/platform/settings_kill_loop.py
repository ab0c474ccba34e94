# settings_kill_loop.py WRITER [KILLS] (seed: LULLWICK_KILL_SEED, else 1): kills the writer at
# random moments, again and again; each new one must find the value last saved or the one being
# saved. A tenth of the kills at least must land inside a save, else the run proved nothing.

import os
import random
import subprocess
import sys
import tempfile
import time


def run(writer, path, delay):
    # The writer's report lines, killed delay seconds in, or once it has said what it found.
    with subprocess.Popen([writer, path], stdout=subprocess.PIPE, text=True) as process:
        if delay is None:
            line = process.stdout.readline()
            process.kill()
            process.communicate()
            return [line.split()]
        time.sleep(delay)
        process.kill()
        return [line.split() for line in process.communicate()[0].splitlines()]


writer = sys.argv[1]
kills = int(sys.argv[2]) if len(sys.argv) > 2 else 500
seed = int(os.environ.get('LULLWICK_KILL_SEED', 1))
rng = random.Random(seed)
with tempfile.TemporaryDirectory() as folder:
    possible = {-1}  # rounds the file may hold: the last saved and the one being saved
    inside = 0  # kills that came between a save's start and its end
    for kill in range(kills + 1):
        delay = rng.uniform(0.005, 0.035) if kill < kills else None
        lines = run(writer, os.path.join(folder, 'settings.json'), delay)
        inside += bool(lines) and lines[-1][:1] == ['writing']
        lines = [line for line in lines if line and line[0] != 'writing']
        if lines and lines[0][0] == 'torn':
            sys.exit(f'kill {kill}: the file is torn (seed {seed})')
        if lines and lines[0][0] == 'read' and int(lines[0][1]) not in possible:
            sys.exit(f'kill {kill}: read round {lines[0][1]}, not one of {possible} (seed {seed})')
        if lines and lines[-1][0] in ('read', 'wrote'):
            possible = {int(lines[-1][1]), int(lines[-1][1]) + 1}
    if inside < kills // 10:
        sys.exit(f'only {inside} of {kills} kills inside a save (seed {seed})')
    print(f'{kills} kills, {inside} inside a save, last round {max(possible) - 1}; every file read'
          f' whole (seed {seed})')
