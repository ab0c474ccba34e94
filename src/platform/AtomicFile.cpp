#include "AtomicFile.h"

#include <QSaveFile>

namespace lullwick::AtomicFile {
namespace {

// Never empty: an empty reason would read as success.
QString reasonOf(const QSaveFile& file) {
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}

} // namespace

std::optional<QString> write(const QString& path, const QByteArray& content) {
    // QSaveFile writes a temporary file beside the target of a symbolic link, syncs it and
    // renames it over that target.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return reasonOf(file);
    // Buffered, a write cut short by a full disk goes unnoticed and the truncated file is
    // committed (Qt 6.4); unbuffered, the short count shows, and writing the rest gives the
    // reason.
    qint64 written = 0;
    while (written < content.size()) {
        const qint64 count = file.write(content.constData() + written, content.size() - written);
        if (count <= 0) {
            const QString reason = reasonOf(file);
            file.cancelWriting();
            return reason;
        }
        written += count;
    }
    if (!file.commit())
        return reasonOf(file);
    return std::nullopt;
}

} // namespace lullwick::AtomicFile
