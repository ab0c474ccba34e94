#pragma once

namespace lullwick {

// The "Good night!" card shown just before the sleep command.
class GoodNightPanel {
public:
    virtual ~GoodNightPanel() = default;

    // Replaces any card showing; it stays until close().
    virtual void show() = 0;
    // Takes the card away; nothing when none shows.
    virtual void close() = 0;
};

} // namespace lullwick
