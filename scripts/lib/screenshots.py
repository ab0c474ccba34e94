#!/usr/bin/python3
"""Takes the pictures of the README and the AppStream metadata; run by scripts/screenshots on
a private desktop, sound server and buses. Every picture is taken once the window shows what
it is meant to show (a page's title, the countdown's value), found as a screen reader finds it.
"""
import base64
import json
import os
import subprocess
import sys
import time
import uuid
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "e2e"))
from lullwick_e2e import (Lullwick, accessibles, keep_sink_running, key,  # noqa: E402
                          microphone_streams, output, start_accessibility, start_logind, stop,
                          wait_for, window_geometry)

BINARY, CORPUS, OUT = sys.argv[1:4]
CLAPS = os.path.join(CORPUS, "p01_double_040_quiet.wav")
PLAYERS = []
SCALE = float(os.environ.get("QT_SCALE_FACTOR") or 1)
KDE_DARK = {"QT_QPA_PLATFORMTHEME": "kde", "KDE_SESSION_VERSION": "5"}
KDE_DARK_COLOURS = "".join(
    f"[Colors:{group}]\nBackgroundNormal={back}\nForegroundNormal=252,252,252\n"
    for group, back in [("Window", "42,46,50"), ("View", "27,30,32"), ("Button", "49,54,59"),
                        ("Selection", "61,174,233")])


def translations():
    # The source texts of the translation into $LANGUAGE's first language, mapped to it.
    language = (os.environ.get("LANGUAGE") or "").split(":")[0]
    found = {}
    if not language or language.startswith("en"):
        return found
    for path in Path(__file__).resolve().parents[2].glob("[!b]*/**/*.ts"):
        tree = ElementTree.parse(path).getroot()
        if tree.tag != "TS" or not tree.get("language", "").startswith(language.split("_")[0]):
            continue
        for message in tree.iter("message"):
            text = message.findtext("translation")
            if text:
                found.setdefault(message.findtext("source"), text)
    return found


TEXTS = translations()


def tr(text):
    return TEXTS.get(text, text)


SETUP, QUESTION = tr("Lullwick Setup"), tr("Lullwick")
GOOD_NIGHT, CONFIRM = tr("Lullwick: Good night"), tr("Lullwick: Sleep?")


def window(title):
    # By its UTF-8 title: xdotool --name misses titles such as "Configuración de Lullwick".
    for wid in output("xdotool", "search", "--onlyvisible", "--class", "lullwick").split():
        name = output("xprop", "-id", wid, "_NET_WM_NAME").partition(" = ")[2].strip()
        if name and json.loads(name) == title:
            return int(wid)
    return None


def shot(name, wid, margin=0):
    # margin: a little of the desktop around a card, for its shadow.
    time.sleep(0.5)  # what was waited for is shown; its repaint reaches the screen after it
    crop = []
    if margin:
        x, y, width, height = window_geometry(wid)
        m = round(margin * SCALE)
        crop = ["-crop", f"{width + 2 * m}x{height + 2 * m}+{max(0, x - m)}+{max(0, y - m)}",
                "+repage"]
        wid = "root"
    path = os.path.join(OUT, name + ".png")
    subprocess.run(["import", "-window", str(wid), *crop, path], check=True, timeout=30)
    print("made", path)


def shows(title, text):
    return any(a.name.startswith(tr(text)) for a in accessibles(title, "LABEL"))


def need(condition, what, timeout=15):
    if not wait_for(condition, timeout):
        raise SystemExit(f"screenshots: {what} did not come")


def application(settings, env=None, config=None):
    app = Lullwick(BINARY, settings, env=dict(env or {}, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    if config:
        Path(app.config, "kdeglobals").write_text(config)
    app.start()
    return app


def clap_until(condition, what):
    # The first buffers of a new stream may still be on their way: clap again if need be.
    for _ in range(3):
        # Not waited for: the recording goes on for seconds after its claps.
        PLAYERS.append(subprocess.Popen(["paplay", "-d", os.environ["LULLWICK_TEST_ROOM"], CLAPS]))
        if wait_for(condition, 8):
            return
    raise SystemExit(f"screenshots: {what} did not come after three double claps")


def setup_assistant():
    hours = [(7 * 60, 9 * 60, False), (12 * 60, 14 * 60, True), (21 * 60, 7 * 60, True)]
    windows = json.dumps([{"id": str(uuid.uuid4()).upper(), "startMinutes": s, "endMinutes": e,
                           "isEnabled": on} for s, e, on in hours]).encode()
    app = application({"scheduleEnabled": True,
                       "scheduleWindows": {"base64": base64.b64encode(windows).decode()}})
    try:
        need(lambda: shows(SETUP, "Welcome to Lullwick"), "the welcome page")
        shot("setup-welcome", window(SETUP))
        key("Return")  # "Get Started"
        need(lambda: shows(SETUP, "Microphone Access"), "the microphone page")
        shot("setup-microphone", window(SETUP))
        key("space")  # "Enable Microphone…", which has the keyboard
        need(lambda: window(QUESTION), "the microphone question")
        shot("microphone-question", window(QUESTION))
        key("Return")  # "Allow"
        need(lambda: shows(SETUP, "Microphone enabled"), "the allowed microphone")
        key("Return")
        need(lambda: shows(SETUP, "How It Sleeps"), "the behaviour page")
        shot("setup-behaviour", window(SETUP))
        key("Return")
        need(lambda: len(accessibles(SETUP, "SPIN_BUTTON")) == 6, "the three listening hours")
        shot("listening-hours", window(SETUP))
        key("Return")
        need(lambda: shows(SETUP, "Try it — clap twice now"), "the practice page")
        need(lambda: microphone_streams() == 1, "the practice microphone")
        shot("practice-waiting", window(SETUP))
        clap_until(lambda: shows(SETUP, "Double clap detected!"), "the practice's detection")
        shot("practice-detected", window(SETUP))
    finally:
        app.close()


def tray_menu():
    app = application({"hasCompletedOnboarding": True})
    try:
        def ours():
            found = output("xdotool", "search", "--onlyvisible", "--class", "lullwick").split()
            return {w: output("xdotool", "getwindowname", w).strip() for w in found}
        # Docked in icewm's tray: a small window of ours named after the program.
        need(lambda: tr("Lullwick") in ours().values(), "the tray icon")
        icon = next(w for w, name in ours().items() if name == tr("Lullwick"))
        output("xdotool", "mousemove", "--window", icon, "10", "10", "click", "1")
        need(lambda: [w for w in ours() if w != icon], "the menu")
        shot("tray-menu", next(w for w in ours() if w != icon))
        key("Escape")
    finally:
        app.close()


def countdown():
    bars = accessibles(tr("Clap-clap detected"), "PROGRESS_BAR")
    return bars[0].queryValue().currentValue if bars else None


def cards(logind, suffix, env=None, config=None):
    logind.AddMethod("", "ListInhibitors", "", "a(ssssuu)", "ret = []")
    app = application({"hasCompletedOnboarding": True, "confirmationMode": "always"}, env, config)
    try:
        need(lambda: microphone_streams() == 1, "the microphone")
        clap_until(lambda: window(CONFIRM), "the confirmation card")
        card = window(CONFIRM)
        shot("confirmation-normal" + suffix, card, margin=10)
        # Into the last seconds, where the mascot falls asleep and the Zs rise.
        need(lambda: countdown() == 3, "the countdown's last seconds")
        time.sleep(0.6)  # the Zs rise anew every 1.6 s from 4 s on: caught as both show
        shot("confirmation-asleep" + suffix, card, margin=10)
        key("Return")  # "Sleep Now"
        need(lambda: window(GOOD_NIGHT), "the good-night card", 5)
        shot("good-night" + suffix, window(GOOD_NIGHT), margin=10)
        need(lambda: app.sleep_calls() == 1, "the sleep")
        # A video player holds the screen awake, as browsers and players do while playing.
        logind.AddMethod("", "ListInhibitors", "", "a(ssssuu)",
                         "ret = [('idle', 'Videos', 'Playing a video', 'block', 1000, 4242)]")
        clap_until(lambda: window(CONFIRM), "the card for a video")
        shot("confirmation-video" + suffix, window(CONFIRM), margin=10)
        key("Escape")
        need(lambda: not window(CONFIRM), "the cancel", 5)
    finally:
        app.close()


def main():
    children = [start_accessibility(), keep_sink_running()]
    logind_process, logind = start_logind()
    children.append(logind_process)
    try:
        setup_assistant()
        tray_menu()
        cards(logind, "")
        cards(logind, "-dark", KDE_DARK, KDE_DARK_COLOURS)
    finally:
        for child in PLAYERS:
            child.wait(30)
        for child in children:
            stop(child)


main()
