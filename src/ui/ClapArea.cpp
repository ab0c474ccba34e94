#include "ClapArea.h"

#include "AnimationClock.h"
#include "MascotView.h"
#include "PageParts.h"

#include <QLabel>
#include <QPainter>

namespace lullwick {

ClapArea::ClapArea(MascotPictures& pictures, QWidget* parent)
    : QWidget(parent), m_pictures(pictures), m_clock(new AnimationClock(this)),
      m_symbol(pageParts::symbolLabel(QStringLiteral("hands.clap"), 56, pageParts::indigo, this)) {
    setObjectName(QStringLiteral("clapArea"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_clock, &AnimationClock::advanced, this, &ClapArea::showPulseAt);
}

void ClapArea::pulse() {
    m_clock->stop();
    m_clock->setCurrentTime(0);
    m_clock->start();
}

void ClapArea::showPulseAt(int elapsed) {
    const qreal progress = AnimationClock::easeOut(std::min(1.0, qreal(elapsed) / pulseMs));
    m_pulseScale = 1.0 + (pulseEndScale - 1.0) * progress;
    m_pulseOpacity = pulseStartOpacity * (1.0 - progress);
    if (elapsed >= pulseMs)
        m_clock->stop();
    update();
}

void ClapArea::setDetected(bool detected) {
    m_detected = detected;
    if (detected && !m_mascot)
        m_mascot = new MascotView(m_pictures, MascotPose::alert, false, mascotSide, this);
    if (m_mascot)
        m_mascot->setVisible(detected);
    m_symbol->setVisible(!detected);
    placeCentre();
    update();
}

void ClapArea::resizeEvent(QResizeEvent*) {
    placeCentre();
}

void ClapArea::placeCentre() {
    for (QWidget* centre : {static_cast<QWidget*>(m_symbol), static_cast<QWidget*>(m_mascot)}) {
        if (!centre)
            continue;
        QRect frame(QPoint(), centre->sizeHint());
        frame.moveCenter(rect().center());
        centre->setGeometry(frame);
    }
}

void ClapArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal radius = disk / 2.0;

    QColor ring = pageParts::indigo;
    ring.setAlphaF(float(m_pulseOpacity));
    painter.setPen(QPen(ring, 4));
    painter.setBrush(Qt::NoBrush);
    // The outline is scaled with the circle, as a scaled view would draw it.
    painter.save();
    painter.translate(centre);
    painter.scale(m_pulseScale, m_pulseScale);
    painter.drawEllipse(QPointF(), radius, radius);
    painter.restore();

    QColor fill = m_detected ? pageParts::green : pageParts::indigo;
    fill.setAlphaF(m_detected ? 0.15f : 0.12f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);
}

} // namespace lullwick
