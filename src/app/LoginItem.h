#pragma once

#include <QString>
#include <optional>

namespace lullwick {

// The registration that starts the application when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    // True when the application is registered to start at login.
    virtual bool isEnabled() const = 0;

    // Registers or unregisters; the readable reason when that failed.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
};

} // namespace lullwick
