#pragma once

#include <functional>

namespace lullwick {

// The countdown card that asks before sleeping; the views implement it.
class ConfirmationPanel {
public:
    virtual ~ConfirmationPanel() = default;

    // Replaces any card showing. Later exactly one action runs, once, with the card already
    // gone, unless close() or another show() takes the card away first.
    virtual void show(bool videoPlaying, std::function<void()> onSleep,
                      std::function<void()> onCancel) = 0;
    // Takes the card away without running an action; nothing when none shows.
    virtual void close() = 0;
    virtual bool isShowing() const = 0;
};

} // namespace lullwick
