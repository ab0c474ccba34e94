#pragma once

#include <QString>
#include <QVariant>

namespace lullwick {

// The per-user key-value store of the settings. Values keep their type: bool, QString,
// qint64 (LongLong) or QByteArray; an absent key is an invalid QVariant.
class PreferencesStore {
public:
    virtual ~PreferencesStore() = default;

    // The stored value of key, or an invalid QVariant when there is none.
    virtual QVariant value(const QString& key) const = 0;

    // Stores the value and has it on disk before returning; false when it could not be saved,
    // in which case it is still kept in memory.
    virtual bool setValue(const QString& key, const QVariant& value) = 0;
};

} // namespace lullwick
