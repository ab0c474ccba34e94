#include "XdgAutostartLoginItem.h"

#include "AppIdentity.h"
#include "AtomicFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
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

// Marks an entry as Lullwick's own, to be rewritten or removed as a whole.
const QLatin1String ownMarker("X-Lullwick-Autostart");

bool isGroupHeader(const QString& line) {
    return line.trimmed().startsWith(u'[');
}

bool isMainGroup(const QString& line) {
    return line.trimmed() == QLatin1String("[Desktop Entry]");
}

QString keyOf(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    return eq > 0 ? line.left(eq).trimmed() : QString();
}

// The value of a key of the [Desktop Entry] group; null when it is absent.
QString mainValue(const QStringList& lines, QLatin1String key) {
    bool inMain = false;
    QString value;
    for (const QString& line : lines) {
        if (isGroupHeader(line))
            inMain = isMainGroup(line);
        else if (inMain && keyOf(line) == key)
            value = line.mid(line.indexOf(u'=') + 1).trimmed();
    }
    return value;
}

// The lines with a key of the [Desktop Entry] group set to value, or removed when value is
// null; every other line stays as it was.
QStringList withMainValue(const QStringList& lines, QLatin1String key, const QString& value) {
    QStringList result;
    bool inMain = false;
    bool written = false;
    qsizetype endOfMain = -1;
    for (const QString& line : lines) {
        if (isGroupHeader(line)) {
            inMain = isMainGroup(line);
        } else if (inMain && keyOf(line) == key) {
            if (!value.isNull() && !written)
                result << key + u'=' + value;
            written = true;
            endOfMain = result.size();
            continue;
        }
        result << line;
        if (inMain && !line.trimmed().isEmpty())
            endOfMain = result.size();
    }
    if (!written && !value.isNull() && endOfMain >= 0)
        result.insert(endOfMain, key + u'=' + value);
    return result;
}

std::optional<QStringList> readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString entryPath, QString program,
                                             QStringList arguments)
    : m_entryPath(std::move(entryPath)), m_program(std::move(program)),
      m_arguments(std::move(arguments)) {
    if (m_program.isEmpty())
        m_program = QCoreApplication::applicationFilePath();
}

QString XdgAutostartLoginItem::defaultEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QLatin1String(appId) + QStringLiteral(".desktop");
}

QString XdgAutostartLoginItem::startProgram(const QString& running, const QString& installed) {
    const QFileInfo installedFile(installed);
    if (installed.isEmpty() || !installedFile.isFile())
        return running;
    // A program replaced while it runs is known to the kernel only as "… (deleted)".
    if (running.isEmpty() || !QFileInfo::exists(running))
        return installed;
    return installedFile.canonicalFilePath() == QFileInfo(running).canonicalFilePath() ? installed
                                                                                       : running;
}

QString XdgAutostartLoginItem::entryText() const {
    QString exec = quoteExecArgument(m_program);
    for (const QString& argument : m_arguments)
        exec += u' ' + quoteExecArgument(argument);
    // The delay and the KDE and LXQt keys let the panel, and with it the tray, come up first.
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.4\n"
                          "Name=Lullwick\n"
                          "Comment=Clap twice to put the computer to sleep\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "StartupNotify=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          "X-GNOME-Autostart-Delay=5\n"
                          "X-KDE-autostart-after=panel\n"
                          "X-LXQt-Need-Tray=true\n"
                          "%3=true\n")
        .arg(escapeValue(exec), QLatin1String(appId), ownMarker);
}

bool XdgAutostartLoginItem::isEnabled() const {
    // Read afresh every time: the desktop's own settings may have changed the entry.
    if (!QFileInfo(m_entryPath).isFile())
        return false;
    const std::optional<QStringList> lines = readLines(m_entryPath);
    if (!lines)
        return false;
    return mainValue(*lines, QLatin1String("Hidden")) != QLatin1String("true") &&
           mainValue(*lines, QLatin1String("X-GNOME-Autostart-enabled")) != QLatin1String("false");
}

std::optional<QString> XdgAutostartLoginItem::setEnabled(bool enabled) {
    const QFileInfo entry(m_entryPath);
    const bool exists = entry.exists(); // false for a dangling link
    if (exists && !entry.isFile())
        return QStringLiteral("%1 is not a file").arg(m_entryPath);

    std::optional<QStringList> lines;
    if (exists) {
        lines = readLines(m_entryPath);
        if (!lines)
            return QStringLiteral("cannot read %1").arg(m_entryPath);
    }
    const bool ours = !lines || mainValue(*lines, ownMarker) == QLatin1String("true");
    if (ours && !enabled) {
        if (!exists && !entry.isSymLink())
            return std::nullopt;
        QFile file(m_entryPath);
        if (!file.remove())
            return QStringLiteral("cannot remove %1: %2").arg(m_entryPath, file.errorString());
        return std::nullopt;
    }

    QString text;
    if (ours) {
        text = entryText();
    } else {
        QStringList edited = *lines;
        if (enabled) {
            edited = withMainValue(edited, QLatin1String("Hidden"), QString());
            const QLatin1String gnome("X-GNOME-Autostart-enabled");
            if (!mainValue(edited, gnome).isNull())
                edited = withMainValue(edited, gnome, QStringLiteral("true"));
        } else {
            edited = withMainValue(edited, QLatin1String("Hidden"), QStringLiteral("true"));
            if (mainValue(edited, QLatin1String("Hidden")).isNull())
                return QStringLiteral("%1 has no [Desktop Entry] group").arg(m_entryPath);
        }
        text = edited.join(u'\n') + u'\n';
    }
    if (const auto problem = makeFolder(entry.absolutePath()))
        return problem;
    // A link is replaced by a file of our own, never written through into a file elsewhere.
    if (entry.isSymLink() && !QFile::remove(m_entryPath))
        return QStringLiteral("cannot replace the link %1").arg(m_entryPath);
    // The entry is the old one or the new one, never torn.
    if (const auto problem = AtomicFile::write(m_entryPath, text.toUtf8()))
        return QStringLiteral("cannot write %1: %2").arg(m_entryPath, *problem);
    return std::nullopt;
}

} // namespace lullwick
