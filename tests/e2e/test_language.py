#!/usr/bin/python3
# The real program in the user's language: German on a German desktop, English when Lullwick
# has no translation for any of the user's languages.
import subprocess
import sys
import unittest

from lullwick_e2e import ExportedMenu, start_watcher, started, stop, wait_for, window

BINARY, WATCHER = sys.argv[1:3]
PAUSED = {"hasCompletedOnboarding": True, "enabled": False}
GERMAN_MENU = [
    "Pausiert", "", "Auf doppeltes Klatschen hören", "Nur zu festgelegten Zeiten", "",
    "Bestätigung", "Vor dem Standby immer nachfragen", "Nur nachfragen, während ein Video läuft",
    "Empfindlichkeit", "Niedrig", "Mittel", "Hoch", "",
    "Einrichtungsassistent\u00a0…", "Jetzt in den Standby", "Beim Anmelden starten", "",
    "Lullwick beenden"]
ENGLISH_MENU = [
    "Paused", "", "Listen for Double Clap", "Only During Scheduled Hours", "",
    "Confirmation", "Always Ask Before Sleeping", "Ask Only While a Video Is Playing",
    "Sensitivity", "Low", "Medium", "High", "",
    "Setup Assistant\u2026", "Sleep Now", "Start at Login", "", "Quit Lullwick"]


def language(languages, locale):
    return {"LANGUAGE": languages, "LANG": locale, "LC_ALL": "", "LC_MESSAGES": ""}


class Language(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        installed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout
        if "de_DE.utf8" not in installed.split():
            raise AssertionError("no de_DE.UTF-8 locale: scripts/test generates it")

    def menu_and_assistant(self, env, menu_labels, setup_item, setup_title):
        # A watcher of its own: one watcher would still list the program started before.
        self.addCleanup(stop, start_watcher(WATCHER))
        started(self, BINARY, PAUSED, env=env)
        menu = ExportedMenu()
        self.assertTrue(wait_for(lambda: menu.labels() == menu_labels, 10), menu.labels())
        menu.click(setup_item)
        self.assertTrue(wait_for(lambda: window(setup_title), 10), setup_title)

    def test_german(self):
        self.menu_and_assistant(language("de", "de_DE.UTF-8"), GERMAN_MENU,
                                "Einrichtungsassistent\u00a0…", "Lullwick einrichten")

    def test_english_when_none_of_the_languages_has_a_translation(self):
        self.menu_and_assistant(language("pt_BR:ja", "de_DE.UTF-8"), ENGLISH_MENU,
                                "Setup Assistant\u2026", "Lullwick Setup")


unittest.main(argv=sys.argv[:1], verbosity=2)
