#pragma once

#include "ConfirmationPanel.h"
#include "GoodNightPanel.h"

namespace lullwick {

// The views the state object drives; the user interface owns them.
struct AppViews {
    ConfirmationPanel& confirmation;
    GoodNightPanel& goodNight;
};

} // namespace lullwick
