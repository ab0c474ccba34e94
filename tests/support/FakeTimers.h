#pragma once

#include "app/Timers.h"

#include <QList>
#include <QPointer>
#include <algorithm>

namespace lullwick {

// Time that moves only when the test advances it; due timers fire in order of their
// deadlines, each at its exact millisecond.
class FakeTimers : public Timers {
public:
    class FakeTimer : public Timer {
    public:
        FakeTimer(FakeTimers& owner, Mode mode, QObject* parent)
            : Timer(parent), m_owner(owner), m_mode(mode) {}

        void start(std::chrono::milliseconds interval) override {
            m_interval = interval;
            m_due = m_owner.m_now + interval;
            m_active = true;
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }

        std::chrono::milliseconds interval() const { return m_interval; }

    private:
        friend class FakeTimers;
        FakeTimers& m_owner;
        Mode m_mode;
        std::chrono::milliseconds m_interval{0};
        std::chrono::milliseconds m_due{0};
        bool m_active = false;
    };

    Timer* create(Mode mode, QObject* parent) override {
        auto* timer = new FakeTimer(*this, mode, parent);
        m_timers.append(timer);
        return timer;
    }

    // Moves time forward by step, firing every timer that falls due on the way.
    void advance(std::chrono::milliseconds step) {
        const std::chrono::milliseconds end = m_now + step;
        while (FakeTimer* next = nextDue(end)) {
            m_now = next->m_due;
            if (next->m_mode == Mode::singleShot)
                next->m_active = false;
            else
                next->m_due = m_now + std::max(next->m_interval, std::chrono::milliseconds(1));
            emit next->timeout();
        }
        m_now = end;
    }

    // Timers that will fire if time moves on.
    int activeCount() const {
        return static_cast<int>(std::count_if(m_timers.begin(), m_timers.end(),
                                              [](const auto& t) { return t && t->m_active; }));
    }

    std::chrono::milliseconds now() const { return m_now; }

private:
    FakeTimer* nextDue(std::chrono::milliseconds end) {
        FakeTimer* next = nullptr;
        for (const QPointer<FakeTimer>& timer : m_timers) {
            if (timer && timer->m_active && timer->m_due <= end &&
                (!next || timer->m_due < next->m_due))
                next = timer;
        }
        return next;
    }

    std::chrono::milliseconds m_now{0};
    QList<QPointer<FakeTimer>> m_timers;
};

} // namespace lullwick
