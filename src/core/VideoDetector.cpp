#include "VideoDetector.h"

#include <QMetaType>
#include <QVariantMap>

namespace lullwick::VideoDetector {
namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isOwnProcess(const QVariant& key, qint64 ownPid) {
    // Holders are compared as 32-bit process ids, as the system hands them out.
    return isNumber(key) && static_cast<qint32>(key.toLongLong()) == static_cast<qint32>(ownPid);
}

// The records of one holder, or nothing when the value is not a list made only of records.
std::optional<QList<QVariantMap>> recordsOf(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QList<QVariantMap> records;
    const QVariantList list = value.toList();
    records.reserve(list.size());
    for (const QVariant& item : list) {
        if (item.typeId() != QMetaType::QVariantMap && item.typeId() != QMetaType::QVariantHash)
            return std::nullopt;
        records.append(item.toMap());
    }
    return records;
}

} // namespace

const QSet<QString>& videoAssertionTypes() {
    static const QSet<QString> types{QStringLiteral("PreventUserIdleDisplaySleep"),
                                     QStringLiteral("NoDisplaySleepAssertion")};
    return types;
}

bool isVideoPlaying(const std::optional<AssertionSnapshot>& snapshot, qint64 ownPid) {
    if (!snapshot)
        return false;
    const QSet<QString>& videoTypes = videoAssertionTypes();
    for (const AssertionEntry& entry : *snapshot) {
        if (isOwnProcess(entry.key, ownPid))
            continue;
        const auto records = recordsOf(entry.value);
        if (!records)
            continue;
        for (const QVariantMap& record : *records) {
            const auto type = record.constFind(QStringLiteral("AssertType"));
            if (type == record.constEnd() || type->typeId() != QMetaType::QString)
                continue;
            if (videoTypes.contains(type->toString()))
                return true;
        }
    }
    return false;
}

} // namespace lullwick::VideoDetector
