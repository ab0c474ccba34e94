#include "AnimationClock.h"

#include <QEasingCurve>
#include <QPointF>

namespace lullwick {
namespace {

QEasingCurve bezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

} // namespace

qreal AnimationClock::easeOut(qreal t) {
    static const QEasingCurve curve = bezier({0, 0}, {0.58, 1});
    return curve.valueForProgress(t);
}

qreal AnimationClock::easeInOut(qreal t) {
    static const QEasingCurve curve = bezier({0.42, 0}, {0.58, 1});
    return curve.valueForProgress(t);
}

} // namespace lullwick
