#include "FilePreferencesStore.h"

#include "AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <cmath>
#include <cstdio>

namespace lullwick {
namespace {

const QLatin1String base64Member("base64");

// A JSON number holds integers exactly up to 2^53.
constexpr double maxExactInteger = 9007199254740992.0;

QVariant fromJson(const QJsonValue& json) {
    switch (json.type()) {
    case QJsonValue::Bool:
        return json.toBool();
    case QJsonValue::String:
        return json.toString();
    case QJsonValue::Double: {
        const double number = json.toDouble();
        if (std::trunc(number) == number && std::fabs(number) <= maxExactInteger)
            return static_cast<qlonglong>(number);
        return number;
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        const QJsonValue encoded = object.value(base64Member);
        if (object.size() == 1 && encoded.isString()) {
            auto decoded = QByteArray::fromBase64Encoding(encoded.toString().toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
            if (decoded)
                return *decoded;
        }
        return json.toVariant();
    }
    default:
        return json.toVariant();
    }
}

std::optional<QJsonValue> toJson(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const qlonglong number = value.toLongLong();
        if (std::fabs(static_cast<double>(number)) > maxExactInteger)
            return std::nullopt;
        return QJsonValue(number);
    }
    case QMetaType::QByteArray:
        return QJsonObject{{base64Member, QString::fromLatin1(value.toByteArray().toBase64())}};
    default:
        return std::nullopt;
    }
}

QString asideName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".broken-") + stamp;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".broken-") + stamp + u'-' + QString::number(n);
    return candidate;
}

} // namespace

FilePreferencesStore::FilePreferencesStore(QString path, Warn warn)
    : m_path(std::move(path)), m_warn(std::move(warn)) {
    if (!m_warn)
        m_warn = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
    load();
}

QString FilePreferencesStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/lullwick/settings.json");
}

void FilePreferencesStore::load() {
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink())
        return;

    QFile file(m_path);
    QString problem;
    QByteArray content;
    // A pipe or a device would block or never end; a huge file would stall the start.
    if (!info.isFile())
        problem = QStringLiteral("not a regular file");
    else if (!file.open(QIODevice::ReadOnly))
        problem = file.errorString();
    else if (content = file.read(maxFileSize + 1); content.size() > maxFileSize)
        problem = QStringLiteral("larger than %1 bytes").arg(maxFileSize);
    if (problem.isEmpty()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(content, &error);
        if (error.error != QJsonParseError::NoError)
            problem =
                error.errorString() + QStringLiteral(" at offset ") + QString::number(error.offset);
        else if (!document.isObject())
            problem = QStringLiteral("not a JSON object");
        else
            m_root = document.object();
    }
    file.close();
    if (problem.isEmpty())
        return;

    const QString aside = asideName(m_path);
    if (QFile::rename(m_path, aside)) {
        m_warn(QStringLiteral("Lullwick: settings file %1 could not be read (%2); kept it as %3 "
                              "and started with the default settings")
                   .arg(m_path, problem, aside));
    } else {
        m_readOnly = true;
        m_warn(QStringLiteral("Lullwick: settings file %1 could not be read (%2) nor moved "
                              "aside; using the default settings without saving changes")
                   .arg(m_path, problem));
    }
}

QVariant FilePreferencesStore::value(const QString& key) const {
    const auto it = m_root.constFind(key);
    return it == m_root.constEnd() ? QVariant() : fromJson(*it);
}

bool FilePreferencesStore::setValue(const QString& key, const QVariant& value) {
    const std::optional<QJsonValue> json = toJson(value);
    if (!json)
        return false;
    // Kept even when it cannot be saved: the next write that succeeds saves it too.
    m_root.insert(key, *json);
    if (m_readOnly)
        return false;
    const QString problem = save();
    if (!problem.isEmpty() && !m_saveFailing) {
        m_warn(QStringLiteral("Lullwick: could not save settings to %1 (%2); changes are kept "
                              "until Lullwick quits")
                   .arg(m_path, problem));
    }
    // One line for a run of failures, not one per change.
    m_saveFailing = !problem.isEmpty();
    return problem.isEmpty();
}

QString FilePreferencesStore::save() {
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    return AtomicFile::write(m_path, QJsonDocument(m_root).toJson(QJsonDocument::Indented))
        .value_or(QString());
}

} // namespace lullwick
