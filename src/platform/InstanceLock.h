#pragma once

#include <QLockFile>
#include <QString>

namespace lullwick {

// One tray application per user: a lock file in the runtime folder (the temporary folder
// where there is none), held while this lives.
class InstanceLock {
public:
    enum class Outcome {
        locked,
        heldByAnother, // a running process holds it
        failed,        // the file cannot be created
    };

    InstanceLock();

    // Returns at once. A lock counts as stale only when its process is gone, however old.
    Outcome tryLock();
    const QString& path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_file;
};

} // namespace lullwick
