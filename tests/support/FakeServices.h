#pragma once

#include "FakeAudioInput.h"
#include "FakeConfirmationPanel.h"
#include "FakeInhibitorSource.h"
#include "FakeLoginItem.h"
#include "FakeMicrophonePermission.h"
#include "FakeTimers.h"
#include "MemoryPreferencesStore.h"
#include "SmallFakes.h"
#include "app/AppState.h"

#include <memory>

namespace lullwick {

// Every platform service of the state object, faked; outlives the state objects it serves.
struct FakeServices {
    MemoryPreferencesStore store;
    FakeSystemLog log;
    FakeMicrophonePermission microphone;
    FakeLoginItem loginItem;
    FakeAudioInput audioInput;
    FakeWakeNotifier wake;
    FakeClock clock;
    FakeSoundPlayer sounds;
    FakeInhibitorSource inhibitors;
    FakeSleepAction sleeper;
    FakeConfirmationPanel confirmation;
    FakeGoodNightPanel goodNight;
    FakeTimers timers;

    AppServices services() {
        return AppServices{store, log,    microphone, loginItem, audioInput, wake,
                           clock, sounds, inhibitors, sleeper,   timers};
    }
    AppViews views() { return AppViews{confirmation, goodNight}; }
    std::unique_ptr<AppState> makeState() {
        return std::make_unique<AppState>(services(), views());
    }
};

} // namespace lullwick
