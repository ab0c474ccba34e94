#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace lullwick {

// The top-left corner for a rectangle of that size, wanted at wanted, within area: wanted
// itself where the rectangle lies wholly inside, else the nearest corner that keeps it inside.
// One larger than area keeps to its top and left edges, never beyond them.
QPoint placeInside(const QRect& area, QSize size, QPoint wanted);

} // namespace lullwick
