#include "MascotView.h"

#include "FloatingZs.h"
#include "MascotPictures.h"

#include <QIcon>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>

namespace lullwick {
namespace {

constexpr int fallbackSymbolSize = 44;

} // namespace

MascotView::MascotView(MascotPictures& pictures, MascotPose pose, bool showZs, int side,
                       QWidget* parent)
    : QWidget(parent), m_pictures(pictures), m_pose(pose), m_side(side) {
    setFixedSize(side, side);
    setShowZs(showZs);
}

void MascotView::setPose(MascotPose pose) {
    m_pose = pose;
    update();
}

void MascotView::setShowZs(bool show) {
    if (show == showZs())
        return;
    if (!show) {
        delete m_zs;
        return;
    }
    // The letters rise above the picture's corner: they live beside the mascot, not inside
    // it, so that they are not clipped to its square.
    m_zs = new FloatingZs(parentWidget() ? parentWidget() : this);
    placeZs();
    m_zs->setVisible(isVisible());
    m_zs->raise();
}

void MascotView::placeZs() {
    if (!m_zs)
        return;
    QPoint topRight(width(), 0);
    if (m_zs->parentWidget() != this)
        topRight = mapTo(m_zs->parentWidget(), topRight);
    m_zs->move(topRight + QPoint(8 - m_zs->width(), -10));
}

void MascotView::setBreathScale(qreal scale) {
    m_scale = scale;
    update();
}

void MascotView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeZs();
    if (m_zs)
        m_zs->show();
    if (m_breathing)
        return;
    auto* group = new QSequentialAnimationGroup(this);
    for (auto [from, to] : {std::pair{0.97, 1.03}, std::pair{1.03, 0.97}}) {
        auto* half = new QPropertyAnimation(this, "breathScale", group);
        half->setStartValue(from);
        half->setEndValue(to);
        half->setDuration(1400);
        half->setEasingCurve(QEasingCurve::InOutSine);
        group->addAnimation(half);
    }
    group->setLoopCount(-1);
    group->start();
    m_breathing = group;
}

void MascotView::paintEvent(QPaintEvent*) {
    // Layout may have moved us since the letters were placed.
    placeZs();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    // Breathe about the middle of the bottom edge, so the base stays put.
    painter.translate(width() / 2.0, height());
    painter.scale(1.0, m_scale);
    painter.translate(-width() / 2.0, -height());

    const std::optional<QPixmap> picture = m_pictures.image(m_pose);
    m_fallback = !picture;
    if (picture) {
        QSizeF size = picture->deviceIndependentSize();
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - size.width()) / 2, height() - size.height()), size);
        painter.drawPixmap(target, *picture, QRectF(picture->rect()));
        return;
    }
    const QRectF symbol(
        QPointF((width() - fallbackSymbolSize) / 2.0, (height() - fallbackSymbolSize) / 2.0),
        QSizeF(fallbackSymbolSize, fallbackSymbolSize));
    QIcon(QStringLiteral(":/icons/cat.fill.svg")).paint(&painter, symbol.toRect());
}

} // namespace lullwick
