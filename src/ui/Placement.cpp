#include "Placement.h"

#include <algorithm>

namespace lullwick {

QPoint placeInside(const QRect& area, QSize size, QPoint wanted) {
    // The far edge first, so that the near one wins where the rectangle cannot fit.
    const auto within = [](int position, int extent, int start, int length) {
        return std::max(std::min(position, start + length - extent), start);
    };
    return {within(wanted.x(), size.width(), area.x(), area.width()),
            within(wanted.y(), size.height(), area.y(), area.height())};
}

} // namespace lullwick
