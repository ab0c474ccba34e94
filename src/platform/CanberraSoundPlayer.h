#pragma once

#include "app/SoundPlayer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace lullwick {

// Event sounds of the freedesktop sound theme through libcanberra. The sound server may be
// slow or absent: every libcanberra call happens on a thread of our own, so the GUI thread
// never waits for it.
class CanberraSoundPlayer : public SoundPlayer {
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;

    void play(Sound sound) override;

    // The theme's event id that stands for a sound.
    static const char* eventId(Sound sound);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Sound> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace lullwick
