// Rewrites one settings value until it is killed, for settings_kill_loop.py. Says first what
// the file held when it started ("read N", -1 for no file, or "torn"), then "writing N" and
// "wrote N" before and after each save of round N.

#include "platform/FilePreferencesStore.h"

#include <cstdio>

using namespace lullwick;

// Large enough that a kill often lands inside a write.
static QByteArray payload(qint64 round) {
    return QByteArray::number(round) + ':' +
           QByteArray(64 * 1024, static_cast<char>('a' + round % 26));
}

// The round a stored value belongs to, or none when it is not one whole payload.
static std::optional<qint64> roundOf(const QByteArray& value) {
    bool ok = false;
    const qint64 round = value.left(value.indexOf(':')).toLongLong(&ok);
    return ok && value == payload(round) ? std::optional(round) : std::nullopt;
}

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line reaches the pipe at once
    const QString key = QStringLiteral("payload");
    bool warned = false;
    FilePreferencesStore store(QString::fromLocal8Bit(argv[1]),
                               [&warned](const QString&) { warned = true; });
    const QVariant stored = store.value(key);
    const std::optional<qint64> found = stored.isValid() ? roundOf(stored.toByteArray()) : -1;
    if (warned || !found) {
        std::puts("torn");
        return 1;
    }
    std::printf("read %lld\n", static_cast<long long>(*found));
    for (qint64 round = *found + 1;; ++round) {
        std::printf("writing %lld\n", static_cast<long long>(round));
        if (!store.setValue(key, payload(round)))
            return 1;
        std::printf("wrote %lld\n", static_cast<long long>(round));
    }
}
