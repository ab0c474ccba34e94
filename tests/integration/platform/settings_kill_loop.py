'''Kills a settings writer with SIGKILL at random moments, again and again. Each new writer
reads the file the last one left: it must hold the value last saved or the one being saved.

    settings_kill_loop.py SETTINGS_WRITER [KILLS]    (seed: LULLWICK_KILL_SEED)
'''

import os
import random
import signal
import subprocess
import sys
import tempfile
import time


def run(writer, path, delay):
    '''The writer's report lines, after a kill delay seconds in (none for a clean read).'''
    with subprocess.Popen([writer, path], stdout=subprocess.PIPE, text=True) as process:
        if delay is not None:
            time.sleep(delay)
            process.send_signal(signal.SIGKILL)
        else:
            # Only its first line matters: a report of what it read.
            line = process.stdout.readline()
            process.kill()
            process.communicate()
            return [line.split()]
        return [line.split() for line in process.communicate()[0].splitlines()]


def main():
    writer = sys.argv[1]
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    seed = int(os.environ.get('LULLWICK_KILL_SEED', time.time_ns() % 2**32))
    rng = random.Random(seed)
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, 'settings.json')
        possible = {-1}  # rounds the file may hold: the last saved and the one being saved
        while_writing = 0
        for kill in range(kills + 1):
            lines = run(writer, path, rng.uniform(0.005, 0.035) if kill < kills else None)
            if lines and lines[0][0] == 'torn':
                sys.exit(f'kill {kill}: the file is torn (seed {seed})')
            if lines and lines[0][0] == 'read':
                found = int(lines[0][1])
                if found not in possible:
                    sys.exit(f'kill {kill}: read round {found}, expected one of {possible} '
                             f'(seed {seed})')
                possible = {found, found + 1}
            if len(lines) > 1:
                while_writing += 1
                last = int(lines[-1][1])
                possible = {last, last + 1}
        # A kill inside a write leaves its unfinished temporary file beside the settings;
        # only the settings file itself matters.
        print(f'{kills} kills, {while_writing} after the first save, last round '
              f'{max(possible) - 1}; every file read whole (seed {seed})')


if __name__ == '__main__':
    main()
