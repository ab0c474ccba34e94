#pragma once

#include <QIcon>
#include <QString>

namespace lullwick {

// The tray's picture for one of our symbol names ("hands.clap", "moon.zzz"): the installed
// symbolic icon of the icon theme, which the desktop recolours to suit its panel (its name
// travels with the icon over D-Bus), else our own two-tone drawing, which reads on light and
// dark panels alike.
class TrayIconImage {
public:
    static QIcon forSymbol(const QString& symbolName);

    // The icon-theme name standing for a symbol; empty when there is none.
    static QString themeName(const QString& symbolName);
};

} // namespace lullwick
