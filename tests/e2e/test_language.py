#!/usr/bin/python3
# The real program in the user's language: German on a German desktop, English when Lullwick
# has no translation for any of the user's languages.
import subprocess
import sys
import unittest

from lullwick_e2e import ExportedMenu, start_watcher, started, stop, wait_for, window

BINARY, WATCHER = sys.argv[1:3]
GERMAN_MENU = [
    "Pausiert", "", "Auf doppeltes Klatschen hören", "Nur zu festgelegten Zeiten", "",
    "Bestätigung", "Vor dem Standby immer nachfragen", "Nur nachfragen, während ein Video läuft",
    "Empfindlichkeit", "Niedrig", "Mittel", "Hoch", "", "Einrichtungsassistent\u00a0…",
    "Jetzt in den Standby", "Beim Anmelden starten", "", "Lullwick beenden"]


class Language(unittest.TestCase):
    def menu_and_assistant(self, languages, labels, setup_item, setup_title):
        locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
        self.assertIn("de_DE.utf8", locales, "no German locale: scripts/test generates it")
        # A watcher of its own: one watcher would still list the program started before.
        self.addCleanup(stop, start_watcher(WATCHER))
        env = {"LANGUAGE": languages, "LANG": "de_DE.UTF-8", "LC_ALL": "", "LC_MESSAGES": ""}
        started(self, BINARY, {"hasCompletedOnboarding": True, "enabled": False}, env=env)
        menu = ExportedMenu()
        self.assertTrue(wait_for(lambda: menu.labels()[:len(labels)] == labels, 10), menu.labels())
        menu.click(setup_item)
        self.assertTrue(wait_for(lambda: window(setup_title), 10), setup_title)

    def test_german(self):
        self.menu_and_assistant("de", GERMAN_MENU, "Einrichtungsassistent\u00a0…",
                                "Lullwick einrichten")

    def test_english_when_none_of_the_languages_has_a_translation(self):
        self.menu_and_assistant("pt_BR:ja", ["Paused", "", "Listen for Double Clap"],
                                "Setup Assistant\u2026", "Lullwick Setup")


unittest.main(argv=sys.argv[:1], verbosity=2)
