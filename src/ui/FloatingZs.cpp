#include "FloatingZs.h"

#include <QPainter>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>

namespace lullwick {

FloatingZs::FloatingZs(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeHint());
}

QPointF FloatingZs::smallOffset() const {
    return {0.0, -16.0 * m_small};
}
QPointF FloatingZs::largeOffset() const {
    return {12.0, -8.0 - 20.0 * m_large};
}
qreal FloatingZs::smallOpacity() const {
    return 0.9 * (1.0 - m_small);
}
qreal FloatingZs::largeOpacity() const {
    return 0.7 * (1.0 - m_large);
}

void FloatingZs::setSmallProgress(qreal value) {
    m_small = value;
    update();
}

void FloatingZs::setLargeProgress(qreal value) {
    m_large = value;
    update();
}

void FloatingZs::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    auto rise = [this](const QByteArray& property, QObject* parent) {
        auto* animation = new QPropertyAnimation(this, property, parent);
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
        animation->setDuration(1600);
        animation->setEasingCurve(QEasingCurve::OutQuad);
        animation->setLoopCount(-1);
        return animation;
    };
    rise("smallProgress", this)->start();
    // The delay is part of the animation, so it runs on the same clock as the rise.
    auto* late = new QSequentialAnimationGroup(this);
    late->addPause(500);
    late->addAnimation(rise("largeProgress", late));
    late->start();
}

void FloatingZs::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QColor color = palette().color(QPalette::WindowText);
    color.setAlphaF(0.55f); // the secondary, dimmed colour
    auto drawLetter = [&](const QString& letter, int pixelSize, QPointF offset, qreal opacity) {
        QFont font = this->font();
        font.setPixelSize(pixelSize);
        font.setBold(true);
        painter.setFont(font);
        painter.setOpacity(opacity);
        painter.setPen(color);
        painter.drawText(QRectF(rect()).translated(offset), Qt::AlignCenter, letter);
    };
    drawLetter(QStringLiteral("z"), 13, smallOffset(), smallOpacity());
    drawLetter(QStringLiteral("Z"), 17, largeOffset(), largeOpacity());
}

} // namespace lullwick
