#include "StoredSettings.h"

namespace lullwick {
namespace {

// The store keeps types: "true" as text is not a Boolean, 7 as text is not an integer.
QVariant typed(const PreferencesStore& store, const char* key, QMetaType::Type type) {
    const QVariant value = store.value(QLatin1String(key));
    return value.isValid() && value.metaType().id() == type ? value : QVariant();
}

bool readBool(const PreferencesStore& store, const char* key, bool fallback) {
    const QVariant value = typed(store, key, QMetaType::Bool);
    return value.isValid() ? value.toBool() : fallback;
}

std::int64_t readInteger(const PreferencesStore& store, const char* key, std::int64_t fallback) {
    const QVariant value = typed(store, key, QMetaType::LongLong);
    return value.isValid() ? value.toLongLong() : fallback;
}

std::string readString(const PreferencesStore& store, const char* key) {
    return typed(store, key, QMetaType::QString).toString().toStdString();
}

} // namespace

StoredSettings StoredSettings::load(const PreferencesStore& store) {
    StoredSettings settings;
    settings.isEnabled = readBool(store, keys::enabled, defaults::enabled);
    settings.confirmationMode = confirmationModeFromRaw(readString(store, keys::confirmationMode))
                                    .value_or(defaults::confirmationMode);
    settings.sensitivity =
        sensitivityFromRaw(readString(store, keys::sensitivity)).value_or(defaults::sensitivity);
    settings.scheduleEnabled = readBool(store, keys::scheduleEnabled, defaults::scheduleEnabled);

    const QVariant data = typed(store, keys::scheduleWindows, QMetaType::QByteArray);
    const std::optional<ScheduleWindows> windows =
        data.isValid() ? decodeScheduleWindows(data.toByteArray()) : std::nullopt;
    // The legacy window lives in memory only, until the list is next assigned.
    settings.scheduleWindows =
        windows ? *windows
                : ScheduleWindows{legacyScheduleWindow(
                      readInteger(store, keys::legacyScheduleStart, defaults::legacyScheduleStart),
                      readInteger(store, keys::legacyScheduleEnd, defaults::legacyScheduleEnd))};

    settings.hasCompletedOnboarding =
        readBool(store, keys::hasCompletedOnboarding, defaults::hasCompletedOnboarding);
    return settings;
}

} // namespace lullwick
