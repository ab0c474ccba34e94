#include "PageDots.h"

#include <QPainter>

namespace lullwick {

PageDots::PageDots(int count, QWidget* parent) : QWidget(parent), m_count(count) {
    setObjectName(QStringLiteral("pageDots"));
    setFixedSize(sizeHint());
}

void PageDots::setCurrent(int index) {
    m_current = index;
    update();
}

QSize PageDots::sizeHint() const {
    return {m_count * diameter + (m_count - 1) * spacing, diameter};
}

QPoint PageDots::dotCentre(int index) const {
    return {index * (diameter + spacing) + diameter / 2, diameter / 2};
}

void PageDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor other = palette().color(QPalette::PlaceholderText);
    other.setAlphaF(0.3f);
    for (int i = 0; i < m_count; ++i) {
        painter.setBrush(i == m_current ? palette().color(QPalette::WindowText) : other);
        painter.drawEllipse(QRectF(i * (diameter + spacing), 0, diameter, diameter));
    }
}

} // namespace lullwick
