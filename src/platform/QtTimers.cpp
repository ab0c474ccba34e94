#include "QtTimers.h"

#include <QTimer>

namespace lullwick {
namespace {

class QtTimer : public Timer {
public:
    QtTimer(Timers::Mode mode, QObject* parent) : Timer(parent), m_timer(this) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setSingleShot(mode == Timers::Mode::singleShot);
        connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
    }

    void start(std::chrono::milliseconds interval) override { m_timer.start(interval); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

Timer* QtTimers::create(Mode mode, QObject* parent) {
    return new QtTimer(mode, parent);
}

} // namespace lullwick
