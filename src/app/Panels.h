#pragma once

#include <functional>

namespace lullwick {

// The countdown card that asks before sleeping; the views implement it.
class ConfirmationPrompt {
public:
    virtual ~ConfirmationPrompt() = default;

    // Replaces any card showing. Later exactly one action runs, once, with the card already
    // gone, unless close() or another show() takes the card away first.
    virtual void show(bool videoPlaying, std::function<void()> onSleep,
                      std::function<void()> onCancel) = 0;
    // Takes the card away without running an action; nothing when none shows.
    virtual void close() = 0;
    virtual bool isShowing() const = 0;
};

// The "Good night!" card shown just before the sleep command.
class GoodNightCard {
public:
    virtual ~GoodNightCard() = default;

    // Replaces any card showing; it stays until close().
    virtual void show() = 0;
    // Takes the card away; nothing when none shows.
    virtual void close() = 0;
};

// The views the state object drives; the user interface owns them.
struct AppViews {
    ConfirmationPrompt& confirmation;
    GoodNightCard& goodNight;
};

} // namespace lullwick
