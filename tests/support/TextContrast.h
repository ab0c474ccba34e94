#pragma once

#include "ui/Contrast.h"

#include <QHash>
#include <QImage>

namespace lullwick {

// The contrast of the text drawn in area of a rendered card: its most common colour is the
// background, and the ink is the pixel that stands out most from it.
inline qreal textContrast(const QImage& card, const QRect& area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[card.pixel(x, y)];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    qreal best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(background), QColor(it.key())));
    return best;
}

} // namespace lullwick
