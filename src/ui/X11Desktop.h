#pragma once

#include <QRect>
#include <QRegion>
#include <optional>

namespace lullwick {

// What Lullwick asks of the X server directly, because Qt has no word for it. On other
// platforms, and offscreen, every question has no answer and every request does nothing.
class X11Desktop {
public:
    // Whether a compositing manager runs; no answer off X11.
    static std::optional<bool> compositorRunning();
    // Asks the window manager to activate the window, as a pager acting for the user would;
    // focus-stealing prevention lets that through.
    static void requestActivation(quint32 window);
    // The window that has the keyboard focus now, or 0 (none, or the pointer's root).
    static quint32 inputFocus();
    static bool isRoot(quint32 window);
    // Gives the focus back to window, if it is still on screen.
    static void giveFocusTo(quint32 window);
    // Where the window the window manager calls active is, in root coordinates.
    static std::optional<QRect> activeWindowFrame();
    // Only region of the window takes pointer input; elsewhere clicks reach what lies below.
    static void setInputShape(quint32 window, const QRegion& region);
};

} // namespace lullwick
