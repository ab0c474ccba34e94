"""What the end-to-end tests of the tray application share: starting Lullwick with its own
settings folder, watching windows, the microphone and the settings, and reading the menu the
way KDE and GNOME do, over com.canonical.dbusmenu."""
import json
import os
import subprocess
import sys
import tempfile
import time

import dbus

from lullwick_e2e import stop

SETUP = "Lullwick Setup"
QUESTION = "Lullwick"  # the microphone question's title


def windows(title):
    pattern = "^" + "".join("\\" + c if c in ".?*+()[]{}|^$\\" else c for c in title) + "$"
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                           capture_output=True, text=True).stdout
    return found.split()


def active_window_name():
    return subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                          capture_output=True, text=True).stdout.strip()


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.2)  # xdotool returns before the application has read the keys


def screenshot(folder, name, window="root"):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    subprocess.run(["import", "-window", window, path], check=True, timeout=30)
    return path


class Lullwick:
    """One settings folder; the program can be started in it again and again."""

    def __init__(self, binary, settings=None, args=()):
        self.binary = binary
        self.args = list(args)
        self.folder = tempfile.TemporaryDirectory()
        self.config = os.path.join(self.folder.name, "config")
        os.makedirs(os.path.join(self.config, "lullwick"))
        if settings is not None:
            with open(self.settings_path(), "w") as f:
                json.dump(settings, f)
        self.process = None
        self.log = None

    def settings_path(self):
        return os.path.join(self.config, "lullwick", "settings.json")

    def settings(self):
        if not os.path.exists(self.settings_path()):
            return {}
        with open(self.settings_path()) as f:
            return json.load(f)

    def start(self):
        env = dict(os.environ, XDG_CONFIG_HOME=self.config)
        env.pop("QT_QPA_PLATFORM", None)
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
            output = self.output()
            if output.strip():
                print(f"--- lullwick said:\n{output}", file=sys.stderr)
            self.log.close()
            self.log = None

    def close(self):
        self.stop()
        self.folder.cleanup()


class ExportedMenu:
    """The tray menu as a StatusNotifierItem host sees it."""

    def __init__(self, bus, item):
        service, _, path = item.partition("/")
        path = "/" + path if path else "/StatusNotifierItem"
        sni = bus.get_object(service, path)
        menu_path = sni.Get("org.kde.StatusNotifierItem", "Menu",
                            dbus_interface="org.freedesktop.DBus.Properties")
        self.menu = dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")

    def items(self):
        """(id, label, type, toggle-type, toggle-state, visible, enabled) top to bottom."""
        _, (_, _, children) = self.menu.GetLayout(0, -1, [])
        rows = []
        for child in children:
            item_id, props, _ = child
            rows.append((int(item_id), str(props.get("label", "")),
                         str(props.get("type", "standard")), str(props.get("toggle-type", "")),
                         int(props.get("toggle-state", -1)), bool(props.get("visible", True)),
                         bool(props.get("enabled", True))))
        return rows

    def labels(self, visible_only=True):
        return [row[1] for row in self.items() if row[5] or not visible_only]

    def click(self, label):
        matches = [row[0] for row in self.items() if row[1] == label]
        assert len(matches) == 1, f"{label!r} is in the menu {len(matches)} times"
        self.menu.Event(matches[0], "clicked", dbus.Int32(0, variant_level=1),
                        dbus.UInt32(0))
