#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lullwick::AtomicFile {

// Replaces the file at path (the target, when path is a symbolic link) with content as a
// whole: afterwards, after a crash or a full disk at any point, the file is the old one or
// the new one, never a torn one. The reason when it could not be written.
std::optional<QString> write(const QString& path, const QByteArray& content);

} // namespace lullwick::AtomicFile
