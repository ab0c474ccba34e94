#pragma once

#include <QWidget>

namespace lullwick {

class AnimationClock;

// Two letters, "z" and "Z", rising and fading over and over; the large one half a second
// behind. The widget covers the letters' whole path, so nothing of them is ever cut; it is
// placed through its frame, the box of the two letters at rest.
class FloatingZs : public QWidget {
    Q_OBJECT

public:
    struct Letter {
        QPointF offset; // from the frame's centre; negative y is up
        qreal opacity;
    };

    explicit FloatingZs(QWidget* parent = nullptr);

    static constexpr int riseMs = 1600;
    static constexpr int largeDelayMs = 500;
    // Where each letter is, elapsed milliseconds after the Zs came on screen.
    static Letter smallAt(int elapsed);
    static Letter largeAt(int elapsed);

    // Size of the frame: the two letters at rest, laid one over the other.
    QSize frameSize() const;
    static QSize frameSize(const QFont& base);
    // Where the letters' ink can ever reach, relative to the frame's top-left corner.
    static QRectF inkReachInFrame(const QFont& base);
    // Puts the frame's top-right corner at corner, in the parent's coordinates.
    void placeFrame(QPoint corner);
    // The frame's top-right corner, in the parent's coordinates.
    QPoint frameCorner() const { return pos() + m_frameTopRight; }
    // Where each letter's ink can ever reach, in the widget's coordinates.
    QRectF inkReach() const;

    AnimationClock* clock() const { return m_clock; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static QFont letterFont(const QFont& base, int pixelSize);
    QRectF frameInWidget() const;

    AnimationClock* m_clock;
    int m_elapsed = 0;
    QPoint m_frameTopRight; // in the widget's coordinates
};

} // namespace lullwick
