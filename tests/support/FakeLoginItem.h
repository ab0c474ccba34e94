#pragma once

#include "app/LoginItem.h"

#include <QList>

namespace lullwick {

// A login item held in memory; queued failures refuse the next changes.
class FakeLoginItem : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    std::optional<QString> setEnabled(bool value) override {
        calls.append(value);
        if (!failures.isEmpty())
            return failures.takeFirst();
        enabled = value;
        return std::nullopt;
    }

    bool enabled = false;
    QList<QString> failures;
    QList<bool> calls;
};

} // namespace lullwick
