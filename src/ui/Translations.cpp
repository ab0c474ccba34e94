#include "Translations.h"

#include "PictureFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace lullwick {
namespace {

QString fileFor(const QString& folder, const QString& language) {
    return folder + QStringLiteral("/lullwick_") + language + QStringLiteral(".qm");
}

} // namespace

QString Translations::folder() {
    return PictureFolder::find() + QStringLiteral("/translations");
}

QString Translations::choose(const QStringList& uiLanguages, const QString& folder) {
    for (QString language : uiLanguages) {
        language.replace(u'-', u'_');
        const QString bare = language.section(u'_', 0, 0);
        // The source texts are English: a user who puts English first gets them.
        if (bare == QLatin1String("en"))
            return {};
        for (const QString& candidate : {language, bare})
            if (QFileInfo(fileFor(folder, candidate)).isFile())
                return candidate;
    }
    return {};
}

QString Translations::install(QCoreApplication& app, const QStringList& uiLanguages,
                              const QString& folder) {
    const QString language = choose(uiLanguages, folder);
    if (language.isEmpty())
        return {};
    auto* own = new QTranslator(&app);
    if (!own->load(fileFor(folder, language))) {
        delete own;
        return {};
    }
    QCoreApplication::installTranslator(own);
    // Qt's own: qtbase_de_DE falls back to qtbase_de, as Debian names them.
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_") + language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}

} // namespace lullwick
