#pragma once

#include "app/PreferencesStore.h"

#include <QHash>
#include <QStringList>

namespace lullwick {

// Keeps values in memory, with their types, and records every write in order.
class MemoryPreferencesStore : public PreferencesStore {
public:
    QVariant value(const QString& key) const override { return values.value(key); }
    bool setValue(const QString& key, const QVariant& value) override {
        writes << key;
        if (failWrites)
            return false;
        values.insert(key, value);
        return true;
    }

    QHash<QString, QVariant> values;
    QStringList writes;
    bool failWrites = false;
};

} // namespace lullwick
