#pragma once

#include <QObject>
#include <chrono>
#include <functional>

namespace lullwick {

// A timer on the GUI thread; real ones are precise to the millisecond.
class Timer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~Timer() override = default;

    // Starts, or restarts, counting interval from now.
    virtual void start(std::chrono::milliseconds interval) = 0;
    // Nothing fires until the next start().
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

signals:
    void timeout();
};

// Where every delay and period of the application comes from, so that tests advance time.
class Timers {
public:
    enum class Mode { singleShot, repeating };

    virtual ~Timers() = default;

    // A stopped timer owned by parent.
    virtual Timer* create(Mode mode, QObject* parent) = 0;

    // Runs work once after delay, unless context is destroyed first.
    void singleShot(std::chrono::milliseconds delay, QObject* context, std::function<void()> work);
};

} // namespace lullwick
