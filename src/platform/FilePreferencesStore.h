#pragma once

#include "app/PreferencesStore.h"

#include <QJsonObject>
#include <functional>

namespace lullwick {

// Settings in one JSON file, rewritten atomically on every change. Types survive the file:
// a Boolean and a string are JSON's own, an integer is a whole number, binary data is an
// object {"base64": "…"}. Keys this version does not know are kept as they are.
class FilePreferencesStore : public PreferencesStore {
public:
    using Warn = std::function<void(const QString& line)>;

    // Above this a settings file is not read: it cannot be one of ours.
    static constexpr qint64 maxFileSize = 1024 * 1024;

    // Reads path; an unreadable, unparsable, oversized or non-regular file is moved aside
    // (never overwritten) and the store starts empty. Each problem is one line through warn
    // (stderr by default); a run of failed saves is one line.
    explicit FilePreferencesStore(QString path, Warn warn = {});

    // $XDG_CONFIG_HOME/lullwick/settings.json
    static QString defaultPath();

    QVariant value(const QString& key) const override;
    bool setValue(const QString& key, const QVariant& value) override;

    const QString& path() const { return m_path; }

private:
    void load();
    // Writes m_root; the reason when it could not.
    QString save();

    QString m_path;
    Warn m_warn;
    QJsonObject m_root;
    // Set when a bad file could not be moved aside: saving would destroy it.
    bool m_readOnly = false;
    bool m_saveFailing = false;
};

} // namespace lullwick
