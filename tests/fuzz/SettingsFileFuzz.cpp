// Any bytes as the settings file, read the way Lullwick starts: the store, then every
// setting from it. A file that is not read is moved aside, and the defaults are used.

#include "app/StoredSettings.h"
#include "platform/FilePreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace lullwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.json"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    int warnings = 0;
    const FilePreferencesStore store(path, [&warnings](const QString&) { ++warnings; });
    const StoredSettings settings = StoredSettings::load(store);
    // A file either reads, or is set aside with one line and leaves the defaults.
    const bool setAside = !QFile::exists(path);
    if (setAside != (warnings == 1) || warnings > 1)
        std::abort();
    if (setAside && (settings.isEnabled != defaults::enabled ||
                     settings.confirmationMode != defaults::confirmationMode ||
                     settings.sensitivity != defaults::sensitivity ||
                     settings.scheduleEnabled != defaults::scheduleEnabled ||
                     settings.scheduleWindows.size() != 1 ||
                     settings.scheduleWindows[0].startMinutes != defaults::legacyScheduleStart ||
                     settings.hasCompletedOnboarding != defaults::hasCompletedOnboarding))
        std::abort();
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files))
        QFile::remove(folder.filePath(name));
    return 0;
}
