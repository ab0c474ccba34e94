#pragma once

class QWidget;

namespace lullwick {

// Raises the window and gives it the keyboard focus, also when the application is not the
// active one (a tray application never is): on X11 it asks the window manager as a pager
// would, which focus-stealing prevention lets through.
void bringToFront(QWidget& window);

} // namespace lullwick
