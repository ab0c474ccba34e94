#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace lullwick {

// The user-visible texts in the user's language. English is the source language: it needs no
// file, and a language without a file falls back to it.
class Translations {
public:
    // The folder of lullwick_<language>.qm: translations/ in the pictures' folder.
    static QString folder();

    // The first of the UI languages ("de-DE", "fr", as QLocale::uiLanguages() lists them)
    // that folder has a translation for, tried as given and then as the bare language, as
    // that file's language ("de_DE", "de"); empty for English, when an English entry comes
    // first or none matches.
    static QString choose(const QStringList& uiLanguages, const QString& folder);

    // Installs the chosen translation into app for the life of the process, with Qt's own
    // for the same language (its dialogs' standard buttons). Returns the chosen language.
    static QString install(QCoreApplication& app, const QStringList& uiLanguages,
                           const QString& folder);
};

} // namespace lullwick
