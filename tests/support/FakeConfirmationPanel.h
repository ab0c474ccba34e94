#pragma once

#include "app/ConfirmationPanel.h"

#include <QList>

namespace lullwick {

// A confirmation card the test answers by calling the actions it was given.
class FakeConfirmationPanel : public ConfirmationPanel {
public:
    void show(bool videoPlaying, std::function<void()> onSleep,
              std::function<void()> onCancel) override {
        shows.append(videoPlaying);
        m_sleep = std::move(onSleep);
        m_cancel = std::move(onCancel);
        m_showing = true;
    }
    void close() override { m_showing = false; }
    bool isShowing() const override { return m_showing; }

    // As the card does: it goes away first, then runs the action.
    void confirm() {
        m_showing = false;
        m_sleep();
    }
    void cancel() {
        m_showing = false;
        m_cancel();
    }

    QList<bool> shows; // the video flag of each show

private:
    bool m_showing = false;
    std::function<void()> m_sleep;
    std::function<void()> m_cancel;
};

} // namespace lullwick
