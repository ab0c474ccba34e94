#include "Contrast.h"

#include <cmath>

namespace lullwick {
namespace {

qreal luminance(const QColor& color) {
    auto linear = [](float channel) {
        return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

} // namespace

qreal contrastRatio(const QColor& a, const QColor& b) {
    const qreal la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor legibleBehind(const QColor& text, const QColor& background, qreal ratio) {
    const bool darken = luminance(text) > 0.5;
    QColor adjusted = background.toHsl();
    // Lightness in small steps keeps the hue and saturation: still the desktop's accent.
    for (int step = 0; step < 100 && contrastRatio(text, adjusted) < ratio; ++step) {
        const float lightness = adjusted.lightnessF() + (darken ? -0.01f : 0.01f);
        adjusted.setHslF(adjusted.hslHueF(), adjusted.hslSaturationF(),
                         std::clamp(lightness, 0.0f, 1.0f), adjusted.alphaF());
    }
    return adjusted.toRgb();
}

} // namespace lullwick
