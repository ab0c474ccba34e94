#include "ScreenChoice.h"

#include "X11Desktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace lullwick {

int chooseScreen(const QList<QRect>& screens, std::optional<QRect> activeWindow,
                 std::optional<QPoint> pointer) {
    if (activeWindow) {
        int best = -1;
        qint64 bestArea = 0;
        for (int i = 0; i < screens.size(); ++i) {
            const QRect shared = screens[i].intersected(*activeWindow);
            const qint64 area = qint64(shared.width()) * shared.height();
            if (area > bestArea) {
                best = i;
                bestArea = area;
            }
        }
        if (best >= 0)
            return best;
    }
    if (pointer) {
        for (int i = 0; i < screens.size(); ++i) {
            if (screens[i].contains(*pointer))
                return i;
        }
    }
    return screens.isEmpty() ? -1 : 0;
}

std::optional<QRect> workingArea() {
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeOne(primary);
        screens.prepend(primary);
    }
    QList<QRect> geometries;
    for (const QScreen* screen : screens)
        geometries.append(screen->geometry());
    const int chosen = chooseScreen(geometries, X11Desktop::activeWindowFrame(), QCursor::pos());
    if (chosen < 0)
        return std::nullopt;
    return screens[chosen]->availableGeometry();
}

} // namespace lullwick
