#include "StoredMicrophonePermission.h"

#include "core/Settings.h"

namespace lullwick {

StoredMicrophonePermission::StoredMicrophonePermission(PreferencesStore& store, Ask ask)
    : m_store(store), m_ask(std::move(ask)) {
    const QVariant completed = m_store.value(QLatin1String(keys::hasCompletedOnboarding));
    m_agreedBefore = completed.metaType().id() == QMetaType::Bool && completed.toBool();
}

MicStatus StoredMicrophonePermission::status() const {
    const QVariant answer = m_store.value(QLatin1String(key));
    if (answer.metaType().id() == QMetaType::Bool)
        return answer.toBool() ? MicStatus::authorized : MicStatus::denied;
    return m_agreedBefore ? MicStatus::authorized : MicStatus::notDetermined;
}

void StoredMicrophonePermission::request(std::function<void(bool granted)> reply) {
    m_ask([this, reply = std::move(reply)](bool allowed) {
        m_store.setValue(QLatin1String(key), allowed);
        reply(allowed);
    });
}

} // namespace lullwick
