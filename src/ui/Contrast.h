#pragma once

#include <QColor>

namespace lullwick {

// The contrast ratio of two opaque colours, 1 to 21, as the web's accessibility guidelines
// define it.
qreal contrastRatio(const QColor& a, const QColor& b);

// background, made darker or lighter (away from text) until text on it reaches ratio.
QColor legibleBehind(const QColor& text, const QColor& background, qreal ratio);

} // namespace lullwick
