#pragma once

namespace lullwick {

// The setup assistant's pages, in the order it shows them.
enum class SetupPage {
    welcome,
    microphone,
    behavior,
    listeningHours,
    practice,
};

inline constexpr int setupPageCount = static_cast<int>(SetupPage::practice) + 1;

} // namespace lullwick
