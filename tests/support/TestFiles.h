#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lullwick {

// The whole file, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file written whole, with the folders it needs; false when it could not be.
inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(data) == data.size();
}

} // namespace lullwick
