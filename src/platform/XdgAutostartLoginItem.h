#pragma once

#include "app/LoginItem.h"

#include <QStringList>

namespace lullwick {

// Launch at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<app id>.desktop.
// An entry Lullwick wrote is written and removed as a whole. One it did not write (made by
// the user or the desktop's settings) is only switched, in place, by its Hidden and
// X-GNOME-Autostart-enabled keys, and never deleted.
class XdgAutostartLoginItem : public LoginItem {
public:
    // program: what the entry starts (see startProgram()); arguments follow it, such as the
    // sleep commands the running copy was given.
    explicit XdgAutostartLoginItem(QString entryPath = defaultEntryPath(), QString program = {},
                                   QStringList arguments = {});

    static QString defaultEntryPath();

    // The program an entry should start: the installed program when the running one is that
    // same file (its stable path, not wherever a link led), or when the running file has
    // been replaced by an upgrade; otherwise the running program itself.
    static QString startProgram(const QString& running, const QString& installed);

    // False when there is no entry or it says Hidden=true or X-GNOME-Autostart-enabled=false.
    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

    // The desktop entry that is written.
    QString entryText() const;

private:
    QString m_entryPath;
    QString m_program;
    QStringList m_arguments;
};

} // namespace lullwick
