#pragma once

#include "app/LoginItem.h"

namespace lullwick {

// Launch at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<app id>.desktop.
class XdgAutostartLoginItem : public LoginItem {
public:
    // executable: what the entry starts (the running program's own path by default).
    explicit XdgAutostartLoginItem(QString entryPath = defaultEntryPath(), QString executable = {});

    static QString defaultEntryPath();

    // True exactly when the entry is a file that is not marked Hidden=true.
    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

    // The desktop entry that is written.
    QString entryText() const;

private:
    QString m_entryPath;
    QString m_executable;
};

} // namespace lullwick
