# Shared by the end-to-end runs of the real lullwick binary.
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
    def rows(what):
        return [line.split("\t") for line in output("pactl", "list", "short", what).splitlines()]
    index = next(row[0] for row in rows("sources") if row[1] == os.environ["LULLWICK_TEST_SOURCE"])
    return sum(1 for row in rows("source-outputs") if row[1] == index)


def reference_streams():
    # The stream that reads what the computer plays, as the source it reads.
    listing = json.loads(output("pactl", "-f", "json", "list", "source-outputs") or "[]")
    return [str(o["source"]) for o in listing
            if o["properties"].get("media.name") == "Played sound"]


def event_sounds():
    # The desktop's event sounds playing now, as theme ids by stream.
    listing = json.loads(output("pactl", "-f", "json", "list", "sink-inputs") or "[]")
    return {o["index"]: o["properties"]["event.id"] for o in listing
            if "event.id" in o["properties"]}


def start_service(name, bus, *command):
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert wait_for(lambda: bus.name_has_owner(name)), name
    return process


def start_logind():
    process = start_service(LOGIN1, dbus.SystemBus(), "/usr/bin/python3", "-m", "dbusmock",
                            "--system", "--template", "logind")
    mock = dbus.SystemBus().get_object(LOGIN1, "/org/freedesktop/login1")
    return process, dbus.Interface(mock, "org.freedesktop.DBus.Mock")


def start_watcher(template):
    return start_service(WATCHER_NAME, dbus.SessionBus(), "/usr/bin/python3", "-m", "dbusmock",
                         "--template", template)


def start_accessibility():
    # The accessibility bus a desktop session starts; Qt finds it through the session bus.
    return start_service("org.a11y.Bus", dbus.SessionBus(), "/usr/libexec/at-spi-bus-launcher",
                         "--launch-immediately")


def keep_sink_running():
    # A null sink left idle holds back the first buffer; a silent stream keeps the room (never
    # the speakers: a stream there is the computer playing) running.
    return subprocess.Popen(["pacat", "--playback", "-d", os.environ["LULLWICK_TEST_ROOM"],
                             "--latency-msec=20", "--rate=48000", "--channels=1",
                             "--format=float32le", "/dev/zero"])


def double_clap_in_room(corpus):
    # Played into the room once the program listens there; the player, still playing.
    assert wait_for(lambda: microphone_streams() == 1), "not listening"
    time.sleep(1.0)  # the first buffers of a new stream are still on their way
    return subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_ROOM"],
                             f"{corpus}/p01_double_040_quiet.wav"])


def headless_env(home):
    return dict(os.environ, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home,
                QT_QPA_PLATFORM="offscreen", DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent",
                DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")


def start_headless(binary, home, *args, stderr=None):
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


def window(title):
    pattern = "".join("\\" + c if c in ".?*+()[]{}|^$\\" else c for c in title)
    found = output("xdotool", "search", "--onlyvisible", "--name", f"^{pattern}$").split()
    return int(found[0]) if found else None


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


def accessible_window(title):
    import pyatspi
    return next((w for app in pyatspi.Registry.getDesktop(0) for w in app or []
                 if w is not None and w.name == title), None)


def accessibles(title, role, name=None):
    # Those showing in that window with that pyatspi role ("PUSH_BUTTON"), top to bottom.
    import pyatspi
    role = getattr(pyatspi, "ROLE_" + role)
    if (window := accessible_window(title)) is None:
        return []
    found = pyatspi.findAllDescendants(window, lambda a: a.getRole() == role and (
        name in (None, a.name)) and a.getState().contains(pyatspi.STATE_SHOWING))
    return sorted(found, key=lambda a: a.queryComponent().getExtents(0).y)


def has_keyboard(title, name):
    # That button in that window has the keyboard focus.
    import pyatspi
    return any(a.getState().contains(pyatspi.STATE_FOCUSED)
               for a in accessibles(title, "PUSH_BUTTON", name))


class Lullwick:
    # One settings folder to start the program in again and again; the sleep command records.
    def __init__(self, binary, settings=None, args=(), env=None):
        self.binary, self.env = binary, dict(env or {})
        self.folder = tempfile.TemporaryDirectory()
        self.config = os.path.join(self.folder.name, "config")
        self.settings_file = Path(self.config, "lullwick", "settings.json")
        self.settings_file.parent.mkdir(parents=True)
        if settings is not None:
            self.settings_file.write_text(json.dumps(settings))
        self.calls = Path(self.folder.name, "sleep-calls")
        recorder = Path(self.folder.name, "record-sleep")
        recorder.write_text(f"#!/bin/sh\necho \"$0\" >> {self.calls}\n")
        recorder.chmod(0o755)
        self.args = ["--sleep-command", recorder, "--sleep-fallback", recorder, *args]
        self.process = self.log = None

    def settings(self):
        exists = self.settings_file.exists()
        return json.loads(self.settings_file.read_text()) if exists else {}

    def sleep_calls(self):
        return self.calls.read_text().count("\n") if self.calls.exists() else 0

    def settled_sleep_calls(self):
        # The computer wakes: capture closes at once and opens again after the wake delay,
        # which outlasts the good-night card's, so a second sleep begun before would be here.
        assert wait_for(lambda: microphone_streams() == 1, 10), "not listening before the wake"
        dbus.SystemBus().get_object(LOGIN1, "/org/freedesktop/login1").EmitSignal(
            "org.freedesktop.login1.Manager", "PrepareForSleep", "b", [dbus.Boolean(False)],
            dbus_interface="org.freedesktop.DBus.Mock")
        assert wait_for(lambda: microphone_streams() == 0, 10), "the wake left capture open"
        assert wait_for(lambda: microphone_streams() == 1, 10), "not listening after the wake"
        return self.sleep_calls()

    def start(self):
        env = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"}
        env.update(XDG_CONFIG_HOME=self.config, **self.env)
        self.log = open(os.path.join(self.folder.name, "lullwick.log"), "w+")
        self.process = subprocess.Popen([self.binary, *self.args], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    def close(self):
        if self.process:
            stop(self.process)
        if self.log:
            self.log.seek(0)
            sys.stderr.write(self.log.read())
            self.log.close()
        self.folder.cleanup()


def started(test, *args, **kwargs):
    app = Lullwick(*args, **kwargs)
    test.addCleanup(app.close)
    app.start()
    return app


class ExportedMenu:
    # The tray menu as KDE and GNOME read it, over com.canonical.dbusmenu: the item last
    # registered with the watcher of start_watcher.
    def __init__(self):
        bus = dbus.SessionBus()
        watcher = bus.get_object(WATCHER_NAME, "/StatusNotifierWatcher")
        items = lambda: watcher.Get(WATCHER_NAME, "RegisteredStatusNotifierItems",  # noqa: E731
                                    dbus_interface="org.freedesktop.DBus.Properties")
        assert wait_for(lambda: len(items()) > 0, 10), "no tray item registered"
        service, _, path = str(items()[-1]).partition("/")
        sni = bus.get_object(service, "/" + path if path else "/StatusNotifierItem")
        menu_path = sni.Get("org.kde.StatusNotifierItem", "Menu",
                            dbus_interface="org.freedesktop.DBus.Properties")
        self.menu = dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")

    def items(self):
        return [(int(item_id), props) for item_id, props, _ in self.menu.GetLayout(0, -1, [])[1][2]]

    def visible(self):
        # (label, toggle-type, toggle-state, enabled) of the items shown, top to bottom
        return [(str(p.get("label", "")), str(p.get("toggle-type", "")),
                 int(p.get("toggle-state", -1)), bool(p.get("enabled", True)))
                for _, p in self.items() if p.get("visible", True)]

    def labels(self):
        return [row[0] for row in self.visible()]

    def click(self, label):
        matches = [item_id for item_id, p in self.items() if p.get("label") == label]
        assert len(matches) == 1, (label, matches)
        self.menu.Event(matches[0], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))

