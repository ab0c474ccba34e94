# What the end-to-end runs of the real lullwick binary share: starting it with its own settings
# folder and a sleep command that only records, watching windows, the microphone and the
# settings, and reading the tray menu the way KDE and GNOME do, over com.canonical.dbusmenu.
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import dbus

SETUP, QUESTION = "Lullwick Setup", "Lullwick"  # QUESTION: the microphone question's title
GOOD_NIGHT, CONFIRM = "Lullwick: Good night", "Lullwick: Sleep?"
WATCHER_NAME, LOGIN1 = "org.kde.StatusNotifierWatcher", "org.freedesktop.login1"


def wait_for(condition, timeout=30.0):
    # Generous: two loaded cores.
    deadline = time.monotonic() + timeout
    while not (done := condition()) and time.monotonic() < deadline:
        time.sleep(0.05)
    return bool(done)


def output(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=30).stdout


def stop(process):
    process.terminate()  # nothing, once it has ended
    try:
        return process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        return process.wait()


def microphone_streams():
    # Capture streams on the test microphone of scripts/with-sound-server.
    def rows(what):
        return [line.split("\t") for line in output("pactl", "list", "short", what).splitlines()]
    index = next(row[0] for row in rows("sources") if row[1] == os.environ["LULLWICK_TEST_SOURCE"])
    return sum(1 for row in rows("source-outputs") if row[1] == index)


def dbusmock(name, *args, system=False):
    # python3-dbusmock on a private bus of scripts/with-dbus, once it owns its name.
    process = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", *args],
                               stdout=subprocess.DEVNULL)
    bus = dbus.SystemBus() if system else dbus.SessionBus()
    assert wait_for(lambda: bus.name_has_owner(name)), name
    return process, bus


def start_logind():
    # (process, its Mock interface)
    process, bus = dbusmock(LOGIN1, "--system", "--template", "logind", system=True)
    mock = bus.get_object(LOGIN1, "/org/freedesktop/login1")
    return process, dbus.Interface(mock, "org.freedesktop.DBus.Mock")


def start_watcher(template):
    return dbusmock(WATCHER_NAME, "--template", template)[0]


def start_accessibility():
    # The accessibility bus a desktop session starts; Qt finds it through the session bus.
    process = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert wait_for(lambda: dbus.SessionBus().name_has_owner("org.a11y.Bus")), "no a11y bus"
    return process


def keep_sink_running():
    # A null sink left idle holds back the first buffer; a silent stream keeps it running.
    return subprocess.Popen(["pacat", "--playback", "-d", os.environ["LULLWICK_TEST_SINK"],
                             "--latency-msec=20", "--rate=48000", "--channels=1",
                             "--format=float32le", "/dev/zero"])


def headless_env(home):
    # No desktop and no buses; settings, runtime folder and lock in home.
    return dict(os.environ, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home,
                QT_QPA_PLATFORM="offscreen", DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent",
                DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")


def start_headless(binary, home, *args, stderr=None):
    # The tray application of headless_env(home), once it holds its lock and still runs.
    child = subprocess.Popen([binary, *args], env=headless_env(home), stdout=subprocess.DEVNULL,
                             stderr=stderr)

    def holds_lock():
        try:  # QLockFile's first line: the holder's pid
            with open(os.path.join(home, f"lullwick-{os.getuid()}.lock")) as f:
                return f.readline().strip() == str(child.pid)
        except OSError:
            return False
    if not wait_for(lambda: child.poll() is not None or holds_lock()) or child.poll() is not None:
        stop(child)
        raise AssertionError("the tray application did not start")
    return child


def windows(title):
    # The visible X windows with exactly this title.
    pattern = "".join("\\" + c if c in ".?*+()[]{}|^$\\" else c for c in title)
    return output("xdotool", "search", "--onlyvisible", "--name", f"^{pattern}$").split()


def window_id(title):
    return int(found[0]) if (found := windows(title)) else None


def window_geometry(wid):
    shell = output("xdotool", "getwindowgeometry", "--shell", str(wid))
    values = dict(line.split("=", 1) for line in shell.split())
    return [int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")]


def focused_window():
    return int(output("xdotool", "getwindowfocus", "-f"))


def active_window_name():
    return output("xdotool", "getactivewindow", "getwindowname").strip()


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.2)  # xdotool returns before the application has read the keys


def accessibles(title, role, name=None):
    # The showing accessibles of that pyatspi role ("PUSH_BUTTON") and name in the window of
    # that title, top to bottom.
    import pyatspi
    role = getattr(pyatspi, "ROLE_" + role)
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == title:
                found = pyatspi.findAllDescendants(window, lambda a: a.getRole() == role and (
                    name in (None, a.name)) and a.getState().contains(pyatspi.STATE_SHOWING))
                return sorted(found, key=lambda a: a.queryComponent().getExtents(0).y)
    return []


def click(accessible, left=None):
    # A real click, at the centre or this many pixels from the left edge.
    ext = accessible.queryComponent().getExtents(0)  # screen coordinates
    x = ext.x + (ext.width // 2 if left is None else left)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(ext.y + ext.height // 2),
                    "click", "1"], check=True)
    time.sleep(0.3)  # xdotool returns before the application has read the click


def screenshot(folder, name, window="root", around=None):
    # around: a window id, shot with a little of the desktop around it (its shadow).
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    crop = []
    if around:
        x, y, width, height = window_geometry(around)
        crop = ["-crop", f"{width + 20}x{height + 20}+{max(0, x - 10)}+{max(0, y - 10)}", "+repage"]
    subprocess.run(["import", "-window", window, *crop, path], check=True, timeout=30)
    return path


class Lullwick:
    # One settings folder; the program can be started in it again and again. Unless the test
    # names its own, the sleep command only records that it ran.

    def __init__(self, binary, settings=None, args=(), env=None):
        self.binary, self.env = binary, dict(env or {})
        self.folder = tempfile.TemporaryDirectory()
        self.config = os.path.join(self.folder.name, "config")
        os.makedirs(os.path.join(self.config, "lullwick"))
        if settings is not None:
            Path(self.settings_path()).write_text(json.dumps(settings))
        self.calls = os.path.join(self.folder.name, "sleep-calls")
        recorder = Path(self.folder.name, "record-sleep")
        recorder.write_text(f"#!/bin/sh\necho \"$0\" >> {self.calls}\n")
        recorder.chmod(0o755)
        self.args = list(args) if "--sleep-command" in args else [
            "--sleep-command", recorder, "--sleep-fallback", recorder, *args]
        self.process = self.log = None

    def settings_path(self):
        return os.path.join(self.config, "lullwick", "settings.json")

    def settings(self):
        path = Path(self.settings_path())
        return json.loads(path.read_text()) if path.exists() else {}

    def sleep_calls(self):
        return Path(self.calls).read_text().count("\n") if os.path.exists(self.calls) else 0

    def settled_sleep_calls(self):
        time.sleep(2)  # a second or a wrong sleep would follow within this
        return self.sleep_calls()

    def start(self):
        env = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"}
        env.update(XDG_CONFIG_HOME=self.config, **self.env)
        self.log = open(os.path.join(self.folder.name, "lullwick.log"), "w+")
        self.process = subprocess.Popen([self.binary, *self.args], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        return time.monotonic()

    def output(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        if self.process:
            stop(self.process)
        if self.log:
            sys.stderr.write(self.output())
            self.log.close()
            self.log = None

    def close(self):
        self.stop()
        self.folder.cleanup()


def started(test, *args, **kwargs):
    # A Lullwick(*args, **kwargs) started, and closed when the test ends.
    app = Lullwick(*args, **kwargs)
    test.addCleanup(app.close)
    app.start()
    return app


class ExportedMenu:
    # The tray menu as a StatusNotifierItem host sees it.

    def __init__(self, bus, item):
        service, _, path = item.partition("/")
        sni = bus.get_object(service, "/" + path if path else "/StatusNotifierItem")
        menu_path = sni.Get("org.kde.StatusNotifierItem", "Menu",
                            dbus_interface="org.freedesktop.DBus.Properties")
        self.menu = dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")

    def items(self):
        # (id, label, type, toggle-type, toggle-state, visible, enabled) top to bottom
        _, (_, _, children) = self.menu.GetLayout(0, -1, [])
        return [(int(item_id), str(props.get("label", "")), str(props.get("type", "standard")),
                 str(props.get("toggle-type", "")), int(props.get("toggle-state", -1)),
                 bool(props.get("visible", True)), bool(props.get("enabled", True)))
                for item_id, props, _ in children]

    def visible(self):
        # (label, toggle-type, toggle-state, enabled) of the items shown
        return [(row[1], *row[3:5], row[6]) for row in self.items() if row[5]]

    def labels(self, visible_only=True):
        return [row[1] for row in self.items() if row[5] or not visible_only]

    def click(self, label):
        matches = [row[0] for row in self.items() if row[1] == label]
        assert len(matches) == 1, (label, matches)
        self.menu.Event(matches[0], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))


def tray_menu():
    # The menu of the item last registered with the watcher of start_watcher.
    watcher = dbus.SessionBus().get_object(WATCHER_NAME, "/StatusNotifierWatcher")
    items = lambda: watcher.Get(WATCHER_NAME, "RegisteredStatusNotifierItems",  # noqa: E731
                                dbus_interface="org.freedesktop.DBus.Properties")
    assert wait_for(lambda: len(items()) > 0, 10), "no tray item registered"
    return ExportedMenu(dbus.SessionBus(), str(items()[-1]))
