#pragma once

#include "AudioInput.h"
#include "Clock.h"
#include "InhibitorSource.h"
#include "LoginItem.h"
#include "MicrophonePermission.h"
#include "PreferencesStore.h"
#include "SleepAction.h"
#include "SoundPlayer.h"
#include "SystemLog.h"
#include "Timers.h"
#include "WakeNotifier.h"

namespace lullwick {

// The platform services the state object relies on; the caller owns them and keeps them
// alive for as long as the state object.
struct AppServices {
    PreferencesStore& store;
    SystemLog& log;
    MicrophonePermission& microphone;
    LoginItem& loginItem;
    AudioInput& audioInput;
    WakeNotifier& wake;
    Clock& clock;
    SoundPlayer& sounds;
    InhibitorSource& inhibitors;
    SleepAction& sleeper;
    Timers& timers;
};

} // namespace lullwick
