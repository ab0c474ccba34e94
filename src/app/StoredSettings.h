#pragma once

#include "PreferencesStore.h"
#include "core/ScheduleWindow.h"
#include "core/Settings.h"

namespace lullwick {

// The settings as the store holds them at start. A value that is absent, of another type or
// not a raw value gives the default of its key; a bad value stays in the store until the
// setting is next assigned.
struct StoredSettings {
    bool isEnabled = defaults::enabled;
    ConfirmationMode confirmationMode = defaults::confirmationMode;
    Sensitivity sensitivity = defaults::sensitivity;
    bool scheduleEnabled = defaults::scheduleEnabled;
    ScheduleWindows scheduleWindows; // the stored list, else the legacy window
    bool hasCompletedOnboarding = defaults::hasCompletedOnboarding;

    // Reads only; writes nothing back.
    static StoredSettings load(const PreferencesStore& store);
};

} // namespace lullwick
