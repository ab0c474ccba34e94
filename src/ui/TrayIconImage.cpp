#include "TrayIconImage.h"

namespace lullwick {

QString TrayIconImage::themeName(const QString& symbolName) {
    if (symbolName == QLatin1String("hands.clap"))
        return QStringLiteral("org.lullwick.Lullwick-listening-symbolic");
    if (symbolName == QLatin1String("moon.zzz"))
        return QStringLiteral("org.lullwick.Lullwick-paused-symbolic");
    return {};
}

QIcon TrayIconImage::forSymbol(const QString& symbolName) {
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(symbolName));
    const QString name = themeName(symbolName);
    return name.isEmpty() ? own : QIcon::fromTheme(name, own);
}

} // namespace lullwick
