#include "CanberraSoundPlayer.h"

#include <canberra.h>

namespace lullwick {

CanberraSoundPlayer::CanberraSoundPlayer() : m_thread([this] { run(); }) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

const char* CanberraSoundPlayer::eventId(Sound sound) {
    switch (sound) {
    case Sound::glass:
        return "complete";
    case Sound::tink:
        return "message";
    }
    return "message";
}

void CanberraSoundPlayer::play(Sound sound) {
    {
        const std::lock_guard lock(m_mutex);
        // A sound that is still waiting when the next comes is stale: keep the queue short.
        if (m_queue.size() >= 4)
            m_queue.pop_front();
        m_queue.push_back(sound);
    }
    m_wake.notify_one();
}

void CanberraSoundPlayer::run() {
    ca_context* context = nullptr;
    for (;;) {
        Sound sound;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                break;
            sound = m_queue.front();
            m_queue.pop_front();
        }
        // Created on first use: an application that never plays a sound never connects.
        if (!context && ca_context_create(&context) == CA_SUCCESS) {
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Lullwick",
                                    CA_PROP_APPLICATION_ID, "org.lullwick.Lullwick", nullptr);
        }
        if (context)
            ca_context_play(context, 0, CA_PROP_EVENT_ID, eventId(sound), nullptr);
    }
    if (context)
        ca_context_destroy(context);
}

} // namespace lullwick
