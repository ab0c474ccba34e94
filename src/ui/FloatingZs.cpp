#include "FloatingZs.h"

#include "AnimationClock.h"

#include <QPainter>

namespace lullwick {
namespace {

constexpr int smallPixels = 13;
constexpr int largePixels = 17;
constexpr int antialiasing = 2; // soft edges around the ink

qreal riseProgress(int sinceStart) {
    return AnimationClock::easeOut(qreal(sinceStart % FloatingZs::riseMs) / FloatingZs::riseMs);
}

// The letter's line box, centred in the frame.
QRectF letterBox(const QFont& font, const QString& letter, QSizeF frame) {
    const QFontMetricsF metrics(font);
    const QSizeF box(metrics.horizontalAdvance(letter), metrics.height());
    return {QPointF((frame.width() - box.width()) / 2, (frame.height() - box.height()) / 2), box};
}

} // namespace

FloatingZs::FloatingZs(QWidget* parent) : QWidget(parent), m_clock(new AnimationClock(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_clock, &AnimationClock::advanced, this, [this](int elapsed) {
        m_elapsed = elapsed;
        update();
    });
    const QRectF frame(QPointF(0, 0), QSizeF(frameSize()));
    const QRect reach = frame.united(inkReachInFrame(font())).toAlignedRect();
    m_frameTopRight = QPoint(frameSize().width(), 0) - reach.topLeft();
    resize(reach.size());
}

FloatingZs::Letter FloatingZs::smallAt(int elapsed) {
    const qreal p = riseProgress(elapsed);
    return {{0.0, -16.0 * p}, 0.9 * (1.0 - p)};
}

FloatingZs::Letter FloatingZs::largeAt(int elapsed) {
    // The whole repetition is delayed, not each round: the Z stays half a second behind.
    const qreal p = elapsed < largeDelayMs ? 0.0 : riseProgress(elapsed - largeDelayMs);
    return {{12.0, -8.0 - 20.0 * p}, 0.7 * (1.0 - p)};
}

QFont FloatingZs::letterFont(const QFont& base, int pixelSize) {
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QSize FloatingZs::frameSize() const {
    return frameSize(font());
}

QSize FloatingZs::frameSize(const QFont& base) {
    const QFont small = letterFont(base, smallPixels), large = letterFont(base, largePixels);
    const QSizeF size = letterBox(small, QStringLiteral("z"), {})
                            .size()
                            .expandedTo(letterBox(large, QStringLiteral("Z"), {}).size());
    return size.toSize();
}

QRectF FloatingZs::inkReach() const {
    return inkReachInFrame(font()).translated(frameInWidget().topLeft());
}

QRectF FloatingZs::inkReachInFrame(const QFont& base) {
    const QSizeF frame(frameSize(base));
    QRectF reach;
    // The ink of each letter swept from its first to its last place.
    auto sweep = [&](const QString& letter, int pixels, Letter first, Letter last) {
        const QFont font = letterFont(base, pixels);
        const QRectF box = letterBox(font, letter, frame);
        const QRectF ink = QFontMetricsF(font).tightBoundingRect(letter).translated(
            box.left(), box.top() + QFontMetricsF(font).ascent());
        reach |= ink.translated(first.offset) | ink.translated(last.offset);
    };
    sweep(QStringLiteral("z"), smallPixels, smallAt(0), smallAt(riseMs - 1));
    sweep(QStringLiteral("Z"), largePixels, largeAt(0), largeAt(largeDelayMs + riseMs - 1));
    return reach.adjusted(-antialiasing, -antialiasing, antialiasing, antialiasing);
}

QRectF FloatingZs::frameInWidget() const {
    const QSizeF frame(frameSize());
    return {QPointF(m_frameTopRight) - QPointF(frame.width(), 0), frame};
}

void FloatingZs::placeFrame(QPoint corner) {
    move(corner - m_frameTopRight);
}

void FloatingZs::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_clock->state() == QAbstractAnimation::Stopped)
        m_clock->start();
}

void FloatingZs::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor color = palette().color(QPalette::WindowText);
    color.setAlphaF(0.55f); // the secondary, dimmed colour
    painter.setPen(color);
    const QRectF frame = frameInWidget();
    auto draw = [&](const QString& letter, int pixels, Letter where) {
        const QFont font = letterFont(this->font(), pixels);
        const QRectF box = letterBox(font, letter, frame.size());
        painter.setFont(font);
        painter.setOpacity(where.opacity);
        painter.drawText(frame.topLeft() + box.topLeft() + where.offset +
                             QPointF(0, QFontMetricsF(font).ascent()),
                         letter);
    };
    draw(QStringLiteral("z"), smallPixels, smallAt(m_elapsed));
    draw(QStringLiteral("Z"), largePixels, largeAt(m_elapsed));
}

} // namespace lullwick
