#pragma once

#include "app/PreferencesStore.h"

#include <QHash>
#include <QStringList>

namespace lullwick {

// Settings in memory; every write is recorded by key.
class MemoryPreferencesStore : public PreferencesStore {
public:
    QVariant value(const QString& key) const override {
        ++reads;
        return values.value(key);
    }
    bool setValue(const QString& key, const QVariant& value) override {
        writes.append(key);
        values.insert(key, value);
        return true;
    }

    QHash<QString, QVariant> values;
    QStringList writes;
    mutable int reads = 0;
};

} // namespace lullwick
