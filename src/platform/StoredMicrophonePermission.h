#pragma once

#include "app/MicrophonePermission.h"
#include "app/PreferencesStore.h"

#include <functional>

namespace lullwick {

// A Linux desktop has no microphone permission of its own, so Lullwick keeps the user's
// answer to its own question in the settings, as a Boolean: absent until answered. Settings
// from before the question whose setup was already completed when the program started count
// as a yes: those users agreed to listening when they finished the setup. A setup completed
// later, without an answer, still leads to the question.
class StoredMicrophonePermission : public MicrophonePermission {
public:
    static constexpr const char* key = "microphoneAllowed";

    // Puts the question to the user and calls back once with the answer.
    using Ask = std::function<void(std::function<void(bool allowed)>)>;

    StoredMicrophonePermission(PreferencesStore& store, Ask ask);

    MicStatus status() const override;
    // Asks the question even when it was answered before, so that a no can be taken back.
    void request(std::function<void(bool granted)> reply) override;

private:
    PreferencesStore& m_store;
    Ask m_ask;
    bool m_agreedBefore;
};

} // namespace lullwick
