#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace lullwick {
namespace {

QString lockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/lullwick-%1.lock").arg(getuid());
}

} // namespace

InstanceLock::InstanceLock() : m_path(lockPath()), m_file(m_path) {
    m_file.setStaleLockTime(0);
}

InstanceLock::Outcome InstanceLock::tryLock() {
    if (m_file.tryLock(0))
        return Outcome::locked;
    return m_file.error() == QLockFile::LockFailedError ? Outcome::heldByAnother : Outcome::failed;
}

} // namespace lullwick
