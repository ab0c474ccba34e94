#pragma once

#include "app/LoginItem.h"

namespace lullwick {

// Launch at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<app id>.desktop.
class XdgAutostartLoginItem : public LoginItem {
public:
    // executable: what the entry starts (the running program's own path by default).
    explicit XdgAutostartLoginItem(QString entryPath = defaultEntryPath(), QString executable = {});

    static QString defaultEntryPath();

    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

private:
    QString m_entryPath;
    QString m_executable;
};

} // namespace lullwick
