"""Helpers shared by the end-to-end runs of the real lullwick binary."""
import os
import subprocess
import time

import dbus


def wait_for(condition, timeout=30.0):
    # Generous: two loaded cores.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return False


def microphone_streams():
    # Capture streams on the test microphone of scripts/with-sound-server.
    def rows(what):
        out = subprocess.run(["pactl", "list", "short", what], check=True, capture_output=True,
                             text=True, timeout=10).stdout
        return [line.split("\t") for line in out.splitlines() if line.strip()]
    index = next(row[0] for row in rows("sources") if row[1] == os.environ["LULLWICK_TEST_SOURCE"])
    return sum(1 for row in rows("source-outputs") if row[1] == index)


def start_logind():
    # python3-dbusmock's logind on the private system bus: (process, its Mock interface).
    process = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                                "logind"], stdout=subprocess.DEVNULL)
    bus = dbus.SystemBus()
    assert wait_for(lambda: bus.name_has_owner("org.freedesktop.login1")), "no logind mock"
    return process, dbus.Interface(bus.get_object("org.freedesktop.login1",
                                                  "/org/freedesktop/login1"),
                                   "org.freedesktop.DBus.Mock")


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
    return process.wait()


def window_id(title):
    # The visible X window with exactly this title, or None.
    pattern = "^" + "".join("\\" + c if c in ".?*+()[]{}|^$\\" else c for c in title) + "$"
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                           capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def window_geometry(wid):
    shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(wid)],
                           capture_output=True, text=True, check=True).stdout
    values = dict(line.split("=", 1) for line in shell.split())
    return [int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")]


def focused_window():
    return int(subprocess.run(["xdotool", "getwindowfocus", "-f"], capture_output=True,
                              text=True, check=True).stdout)


def screenshot(path, title):
    # The window and a little of the desktop around it.
    os.makedirs(os.path.dirname(path), exist_ok=True)
    x, y, width, height = window_geometry(window_id(title))
    crop = f"{width + 20}x{height + 20}+{max(0, x - 10)}+{max(0, y - 10)}"
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", path], check=True,
                   timeout=30)
