#pragma once

#include <QAbstractAnimation>

namespace lullwick {

// Milliseconds since an animation started, on the toolkit's frame clock: a view computes what
// it draws from the time alone, and tests set the time instead of waiting for it.
class AnimationClock : public QAbstractAnimation {
    Q_OBJECT

public:
    using QAbstractAnimation::QAbstractAnimation;

    int duration() const override { return -1; } // runs until stopped

    // The toolkit's standard curves, as cubic Béziers: progress 0…1 for time 0…1.
    static qreal easeOut(qreal t);
    static qreal easeInOut(qreal t);

signals:
    void advanced(int elapsed);

protected:
    void updateCurrentTime(int elapsed) override { emit advanced(elapsed); }
};

} // namespace lullwick
