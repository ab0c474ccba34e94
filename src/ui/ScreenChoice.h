#pragma once

#include <QList>
#include <QRect>
#include <optional>

namespace lullwick {

// The screen the user is working on, among screens (their geometries, the primary first):
// the one holding most of the active window, else the one under the pointer, else the
// primary. -1 when there is no screen at all.
int chooseScreen(const QList<QRect>& screens, std::optional<QRect> activeWindow,
                 std::optional<QPoint> pointer);

// The available area of that screen, asked of the application and the window system now.
std::optional<QRect> workingArea();

} // namespace lullwick
