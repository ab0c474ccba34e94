#include "XdgAutostartLoginItem.h"

#include "AppIdentity.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <filesystem>
#include <system_error>

namespace lullwick {
namespace {

// One argument of the Exec key (Desktop Entry Specification): "%" is doubled; a path with
// reserved characters goes in double quotes with ", `, $ and \ escaped by a backslash.
QString quoteExecArgument(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = path;
    argument.replace(u'%', QStringLiteral("%%"));
    bool needsQuotes = false;
    for (QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return argument;
    QString quoted = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

// The string escapes every value goes through before Exec's own quoting is read; a line
// break in a path must not end the line and start a key of its own.
QString escapeValue(const QString& value) {
    QString escaped;
    for (QChar c : value) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

std::optional<QString> makeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error)
        return QStringLiteral("cannot create the folder %1: %2")
            .arg(folder, QString::fromLocal8Bit(error.message()));
    // create_directories accepts an existing path only when it is a folder.
    return std::nullopt;
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

QString XdgAutostartLoginItem::entryText() const {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Lullwick\n"
                          "Comment=Clap twice to put the computer to sleep\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(escapeValue(quoteExecArgument(m_executable)), QLatin1String(appId));
}

bool XdgAutostartLoginItem::isEnabled() const {
    // Read afresh every time: the desktop's own settings may have changed the entry.
    if (!QFileInfo(m_entryPath).isFile())
        return false;
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
    const QFileInfo entry(m_entryPath);
    if (!enabled) {
        if (!entry.exists() && !entry.isSymLink())
            return std::nullopt;
        QFile file(m_entryPath);
        if (!file.remove())
            return QStringLiteral("cannot remove %1: %2").arg(m_entryPath, file.errorString());
        return std::nullopt;
    }
    if (const auto problem = makeFolder(entry.absolutePath()))
        return problem;
    // Written beside and renamed over: the entry is the old one or the new one, never torn.
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return QStringLiteral("cannot write %1: %2").arg(m_entryPath, file.errorString());
    if (file.write(entryText().toUtf8()) < 0 || !file.commit())
        return QStringLiteral("cannot write %1: %2").arg(m_entryPath, file.errorString());
    return std::nullopt;
}

} // namespace lullwick
