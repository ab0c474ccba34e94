#include "XdgAutostartLoginItem.h"

#include "AppIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace lullwick {
namespace {

// Quoting rules of the Exec key (Desktop Entry Specification): a path with reserved
// characters goes in double quotes, with ", `, $ and \ escaped by a backslash.
QString quoteExec(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : path)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return path;
    QString quoted = QStringLiteral("\"");
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString entryPath, QString executable)
    : m_entryPath(std::move(entryPath)), m_executable(std::move(executable)) {
    if (m_executable.isEmpty())
        m_executable = QCoreApplication::applicationFilePath();
}

QString XdgAutostartLoginItem::defaultEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QLatin1String(appId) + QStringLiteral(".desktop");
}

bool XdgAutostartLoginItem::isEnabled() const {
    QFile file(m_entryPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inMainGroup) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Hidden") &&
                line.mid(eq + 1).trimmed() == QLatin1String("true"))
                return false;
        }
    }
    return true;
}

std::optional<QString> XdgAutostartLoginItem::setEnabled(bool enabled) {
    if (!enabled) {
        QFile file(m_entryPath);
        if (file.exists() && !file.remove())
            return file.errorString();
        return std::nullopt;
    }
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Lullwick\n"
                                         "Comment=Clap twice to put the computer to sleep\n"
                                         "Exec=%1\n"
                                         "Icon=%2\n"
                                         "Terminal=false\n"
                                         "NoDisplay=true\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quoteExec(m_executable), QLatin1String(appId));
    if (file.write(entry.toUtf8()) < 0 || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace lullwick
