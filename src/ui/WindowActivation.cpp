#include "WindowActivation.h"

#include "X11Desktop.h"

#include <QWidget>

namespace lullwick {

void bringToFront(QWidget& window) {
    window.raise();
    window.activateWindow();
    X11Desktop::requestActivation(quint32(window.winId()));
}

} // namespace lullwick
