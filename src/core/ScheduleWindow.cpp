#include "ScheduleWindow.h"

#include "Schedule.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace lullwick {
namespace {

// A minute of the day, 0…1439: anything else would show as a nonsense time of day.
std::optional<std::int64_t> minuteMember(const QJsonObject& object, const char* name) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || number < 0 || number >= double(minutesPerDay))
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

bool isHex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Only the 36-character hyphenated form, as written (QUuid alone would also take braces).
std::optional<QUuid> uuidMember(const QJsonObject& object) {
    const QJsonValue value = object.value(QLatin1String("id"));
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text[i] != u'-' : !isHex(text[i]))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

} // namespace

QByteArray encodeScheduleWindows(const ScheduleWindows& windows) {
    QJsonArray array;
    for (const ScheduleWindow& window : windows) {
        QJsonObject object;
        object.insert(QLatin1String("id"), window.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(QLatin1String("startMinutes"), static_cast<qint64>(window.startMinutes));
        object.insert(QLatin1String("endMinutes"), static_cast<qint64>(window.endMinutes));
        object.insert(QLatin1String("isEnabled"), window.isEnabled);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<ScheduleWindows> decodeScheduleWindows(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;

    ScheduleWindows windows;
    const QJsonArray array = document.array();
    windows.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const auto id = uuidMember(object);
        const auto start = minuteMember(object, "startMinutes");
        const auto end = minuteMember(object, "endMinutes");
        const QJsonValue enabled = object.value(QLatin1String("isEnabled"));
        if (!id || !start || !end || !enabled.isBool())
            return std::nullopt;
        windows.append(ScheduleWindow{*id, *start, *end, enabled.toBool()});
    }
    return windows;
}

ScheduleWindow legacyScheduleWindow(std::int64_t startMinutes, std::int64_t endMinutes) {
    return ScheduleWindow{QUuid::createUuid(), startMinutes, endMinutes, true};
}

} // namespace lullwick
