#pragma once

#include "FakeAudioInput.h"
#include "FakeClock.h"
#include "FakeLoginItem.h"
#include "FakeMicrophonePermission.h"
#include "FakeSystemLog.h"
#include "FakeWakeNotifier.h"
#include "MemoryPreferencesStore.h"
#include "app/AppState.h"

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

    AppServices services() {
        return AppServices{store, log, microphone, loginItem, audioInput, wake, clock};
    }
};

} // namespace lullwick
