#pragma once

#include "app/Timers.h"

#include <QList>
#include <QPointer>
#include <algorithm>

namespace lullwick {

// Time that moves only when the test advances it; due timers fire in order of their
// deadlines, each at its exact millisecond, and repeating ones start their next round.
class FakeTimers : public Timers {
    using ms = std::chrono::milliseconds;

    struct FakeTimer : Timer {
        FakeTimer(FakeTimers& owner, Mode mode, QObject* parent)
            : Timer(parent), m_owner(owner), m_mode(mode) {}
        void start(ms interval) override {
            m_interval = interval, m_due = m_owner.m_now + interval, m_active = true;
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }

        FakeTimers& m_owner;
        const Mode m_mode;
        ms m_interval{0}, m_due{0};
        bool m_active = false;
    };

    ms m_now{0};
    QList<QPointer<FakeTimer>> m_timers;

public:
    Timer* create(Mode mode, QObject* parent) override {
        m_timers.append(new FakeTimer(*this, mode, parent));
        return m_timers.last();
    }

    // Moves time forward by step, firing every timer that falls due on the way.
    void advance(ms step) {
        const ms end = m_now + step;
        for (FakeTimer* next = nullptr;; next = nullptr) {
            for (FakeTimer* t : m_timers)
                if (t && t->m_active && t->m_due <= end && (!next || t->m_due < next->m_due))
                    next = t;
            if (!next)
                break;
            m_now = next->m_due;
            next->m_active = next->m_mode == Mode::repeating;
            next->m_due = m_now + std::max(next->m_interval, ms(1));
            emit next->timeout();
        }
        m_now = end;
    }

    ms now() const { return m_now; }

    // Timers that will fire if time moves on.
    int activeCount() const {
        return int(std::count_if(m_timers.begin(), m_timers.end(),
                                 [](const auto& t) { return t && t->m_active; }));
    }
};

} // namespace lullwick
