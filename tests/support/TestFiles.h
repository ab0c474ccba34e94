#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>

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

// What write() returns while files may grow to `bytes` only: writes beyond fail with EFBIG, as
// on a full disk with ENOSPC, and for root too.
template <typename Write> auto withFileSizeLimit(rlim_t bytes, Write write) {
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit limit{bytes, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit); // unlimited, the writes succeed and their test fails
    const auto result = write();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    return result;
}

} // namespace lullwick
