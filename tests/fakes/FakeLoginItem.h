#pragma once

#include "app/LoginItem.h"

#include <QList>

namespace lullwick {

// A login item whose changes can be made to fail; records each change asked for.
class FakeLoginItem : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    std::optional<QString> setEnabled(bool value) override {
        calls << value;
        if (failWith)
            return failWith;
        enabled = value;
        return std::nullopt;
    }

    bool enabled = false;
    std::optional<QString> failWith;
    QList<bool> calls;
};

} // namespace lullwick
