#pragma once

#include "FakeServices.h"
#include "WindowLists.h"

#include <QCoreApplication>
#include <optional>
#include <thread>
#include <vector>

using namespace lullwick;
using namespace std::chrono_literals;

namespace lullwick {

// What the store, the permission, the desktop and the clock hold when the state object starts.
struct Given {
    MicStatus mic = MicStatus::authorized;
    bool setupDone = true;
    bool enabled = true;
    bool askAlways = true;      // else the card only while a video plays
    ScheduleWindows hours = {}; // the listening hours are on when there are any
    int minute = 720;
    int startFails = 0;    // starts that find no microphone
    bool noServer = false; // nor a sound server to watch for one
    bool video = false;
    bool practice = false;
};

// A state object on fresh fakes, which outlive it.
struct StateFixture {
    std::optional<FakeServices> fakes;
    std::unique_ptr<AppState> state;
    double seconds = 10.0;

    void reset() { state.reset(), fakes.emplace(); }

    AppState& create(const Given& given = {}) {
        fakes->microphone.current = given.mic;
        // clang-format off
        fakes->store.values.insert({{"hasCompletedOnboarding", given.setupDone}, {"enabled", given.enabled},
            {"confirmationMode", given.askAlways ? "always" : "whenVideoPlaying"},
            {"scheduleEnabled", !given.hours.isEmpty()}, {"scheduleWindows", encodeScheduleWindows(given.hours)}});
        // clang-format on
        fakes->clock.setMinute(given.minute);
        fakes->audioInput.failures.fill(DetectorError::noInputDevice(), given.startFails);
        fakes->audioInput.serverUp = !given.noServer;
        if (given.video)
            fakes->inhibitors.playVideo();
        state = fakes->makeState();
        if (given.practice)
            state->beginClapTest();
        return *state;
    }

    // Two claps 0.3 s apart on a thread of their own, as capture delivers them; what they post
    // runs when the GUI thread gets to it.
    void doubleClap(bool handled = true) {
        std::vector<float> click(1024, 0.0f);
        click[100] = 0.6f;
        seconds += 5.0; // past any cooldown
        std::thread([&] {
            for (double at : {seconds, seconds + 0.3})
                state->detector().process(click, at);
        }).join();
        if (handled)
            QCoreApplication::processEvents();
    }
};

} // namespace lullwick

Q_DECLARE_METATYPE(lullwick::Given)
