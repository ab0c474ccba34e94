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

    // Reads path; an unreadable or unparsable file is moved aside (never overwritten) and
    // the store starts empty. Each problem is one line through warn (stderr by default).
    explicit FilePreferencesStore(QString path, Warn warn = {});

    // $XDG_CONFIG_HOME/lullwick/settings.json
    static QString defaultPath();

    QVariant value(const QString& key) const override;
    bool setValue(const QString& key, const QVariant& value) override;

    const QString& path() const { return m_path; }

private:
    void load();
    bool save(const QJsonObject& root);

    QString m_path;
    Warn m_warn;
    QJsonObject m_root;
    // Set when a bad file could not be moved aside: saving would destroy it.
    bool m_readOnly = false;
};

} // namespace lullwick
