#include "MascotView.h"

#include "AnimationClock.h"
#include "FloatingZs.h"
#include "MascotPictures.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace lullwick {
namespace {

constexpr int fallbackSymbolSize = 44;
// The Zs' frame corner, from the picture's top-right corner.
constexpr QPoint zsShift(8, -10);

} // namespace

MascotView::MascotView(MascotPictures& pictures, MascotPose pose, bool showZs, int side,
                       QWidget* parent)
    : QWidget(parent), m_pictures(pictures), m_pose(pose), m_side(side),
      m_clock(new AnimationClock(this)) {
    setFixedSize(side, side);
    connect(m_clock, &AnimationClock::advanced, this, [this](int elapsed) {
        m_elapsed = elapsed;
        update();
    });
    setShowZs(showZs);
}

qreal MascotView::breathScaleAt(int elapsed) {
    // Eases in and out each way; the way back is the way up reversed.
    const int phase = elapsed % (2 * breathMs);
    const int up = phase < breathMs ? phase : 2 * breathMs - phase;
    return 0.97 + 0.06 * AnimationClock::easeInOut(qreal(up) / breathMs);
}

bool MascotView::isBreathing() const {
    return m_clock->state() == QAbstractAnimation::Running;
}

int MascotView::zsHeadroom(int cardWidth, qreal radius) const {
    // Worst case: the picture fills the mascot's square, so the Zs hang from its corner.
    const QSize frame = FloatingZs::frameSize(font());
    const QRectF reach = FloatingZs::inkReachInFrame(font()).translated(
        (cardWidth + m_side) / 2 + zsShift.x() - frame.width(), zsShift.y());
    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, cardWidth, 4 * m_side), radius, radius);
    int top = 0;
    while (!card.contains(reach.translated(0, top)) && top < 2 * m_side)
        ++top;
    return top;
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
    m_zs = new FloatingZs(parentWidget() ? parentWidget() : this);
    placeZs();
    m_zs->setVisible(isVisible());
    m_zs->raise();
}

QRectF MascotView::pictureRect(const std::optional<QPixmap>& picture) const {
    if (!picture) {
        return {
            QPointF((width() - fallbackSymbolSize) / 2.0, (height() - fallbackSymbolSize) / 2.0),
            QSizeF(fallbackSymbolSize, fallbackSymbolSize)};
    }
    QSizeF size = picture->deviceIndependentSize();
    size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    return {QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

void MascotView::placeZs() {
    if (!m_zs)
        return;
    QPoint corner = pictureRect(m_pictures.image(m_pose)).topRight().toPoint() + zsShift;
    if (m_zs->parentWidget() != this)
        corner = mapTo(m_zs->parentWidget(), corner);
    m_zs->placeFrame(corner);
}

void MascotView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeZs();
    if (m_zs)
        m_zs->show();
    // Breathing starts once and never stops while the mascot lives.
    if (m_clock->state() == QAbstractAnimation::Stopped)
        m_clock->start();
}

void MascotView::paintEvent(QPaintEvent*) {
    const std::optional<QPixmap> picture = m_pictures.image(m_pose);
    m_fallback = !picture;
    const QRectF drawn = pictureRect(picture);
    // Layout, or a picture that appeared, may have moved the corner the letters hang from.
    placeZs();

    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    // Breathe about the middle of the picture's bottom edge, so its base stays put.
    const QPointF base(drawn.center().x(), drawn.bottom());
    painter.translate(base);
    painter.scale(1.0, breathScale());
    painter.translate(-base);
    if (picture)
        painter.drawPixmap(drawn, *picture, QRectF(picture->rect()));
    else
        QIcon(QStringLiteral(":/icons/cat.fill.svg")).paint(&painter, drawn.toRect());
}

} // namespace lullwick
