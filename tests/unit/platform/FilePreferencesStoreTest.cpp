#include "platform/FilePreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lullwick;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class TestFilePreferencesStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_warnings;

    QString path() const { return m_dir.filePath(QStringLiteral("lullwick/settings.json")); }
    FilePreferencesStore::Warn warn() {
        return [this](const QString& line) { m_warnings << line; };
    }

private slots:
    void init() {
        m_warnings.clear();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void valuesKeepTheirTypeThroughTheFile() {
        {
            FilePreferencesStore store(path(), warn());
            QVERIFY(!store.value(QStringLiteral("enabled")).isValid());
            QVERIFY(store.setValue(QStringLiteral("enabled"), false));
            QVERIFY(store.setValue(QStringLiteral("sensitivity"), QStringLiteral("high")));
            QVERIFY(store.setValue(QStringLiteral("scheduleStartMinutes"), qint64(1320)));
            QVERIFY(store.setValue(QStringLiteral("scheduleWindows"), QByteArray("[\x01\xff]")));
            QVERIFY(store.setValue(QStringLiteral("asText"), QStringLiteral("true")));
        }
        const FilePreferencesStore reread(path(), warn());
        auto typeOf = [&](const char* key) {
            return reread.value(QLatin1String(key)).metaType().id();
        };
        QCOMPARE(typeOf("enabled"), int(QMetaType::Bool));
        QCOMPARE(reread.value(QStringLiteral("enabled")).toBool(), false);
        QCOMPARE(typeOf("sensitivity"), int(QMetaType::QString));
        QCOMPARE(typeOf("scheduleStartMinutes"), int(QMetaType::LongLong));
        QCOMPARE(reread.value(QStringLiteral("scheduleStartMinutes")).toLongLong(), 1320);
        QCOMPARE(typeOf("scheduleWindows"), int(QMetaType::QByteArray));
        QCOMPARE(reread.value(QStringLiteral("scheduleWindows")).toByteArray(),
                 QByteArray("[\x01\xff]"));
        // A string that reads like a Boolean stays a string.
        QCOMPARE(typeOf("asText"), int(QMetaType::QString));
        QVERIFY(m_warnings.isEmpty());
    }

    void handEditedValuesOfOtherTypesAreKept() {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        writeAll(path(),
                 "{\"enabled\":\"yes\",\"ratio\":1.5,\"future\":{\"a\":[1]},\"note\":null}");
        FilePreferencesStore store(path(), warn());
        QCOMPARE(store.value(QStringLiteral("enabled")).metaType().id(), int(QMetaType::QString));
        QCOMPARE(store.value(QStringLiteral("ratio")).metaType().id(), int(QMetaType::Double));
        QVERIFY(store.setValue(QStringLiteral("sensitivity"), QStringLiteral("low")));
        const QJsonObject saved = QJsonDocument::fromJson(readAll(path())).object();
        QCOMPARE(saved.value(QLatin1String("future")).toObject().value(QLatin1String("a")),
                 QJsonValue(QJsonArray{1}));
        QCOMPARE(saved.value(QLatin1String("enabled")).toString(), QStringLiteral("yes"));
        QCOMPARE(saved.value(QLatin1String("sensitivity")).toString(), QStringLiteral("low"));
    }

    void unsupportedTypesAreRefused() {
        FilePreferencesStore store(path(), warn());
        QVERIFY(!store.setValue(QStringLiteral("x"), QVariant(1.5)));
        QVERIFY(!QFile::exists(path()));
    }

    void badFilesAreMovedAsideNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("torn JSON") << QByteArray("{\"enabled\":false,\"sensi");
        QTest::newRow("not an object") << QByteArray("[1,2,3]");
        QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe garbage", 11);
        QTest::newRow("empty file") << QByteArray();
    }
    void badFilesAreMovedAsideNeverOverwritten() {
        QFETCH(QByteArray, content);
        QDir().mkpath(QFileInfo(path()).absolutePath());
        writeAll(path(), content);

        FilePreferencesStore store(path(), warn());
        QVERIFY(!store.value(QStringLiteral("enabled")).isValid());
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY2(m_warnings[0].contains(path()), qPrintable(m_warnings[0]));
        QVERIFY(!m_warnings[0].contains(u'\n'));

        const QStringList aside = QDir(QFileInfo(path()).absolutePath())
                                      .entryList({QStringLiteral("settings.json.broken-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(m_warnings[0].contains(aside[0]));
        QCOMPARE(readAll(QFileInfo(path()).absolutePath() + u'/' + aside[0]), content);

        QVERIFY(store.setValue(QStringLiteral("enabled"), true));
        QVERIFY(QJsonDocument::fromJson(readAll(path())).isObject());
    }

    void aSecondBadFileGetsItsOwnName() {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        writeAll(path(), "first{");
        FilePreferencesStore first(path(), warn());
        writeAll(path(), "second{");
        FilePreferencesStore second(path(), warn());
        const QDir folder(QFileInfo(path()).absolutePath());
        const QStringList aside = folder.entryList({QStringLiteral("settings.json.broken-*")});
        QCOMPARE(aside.size(), 2);
        QStringList contents;
        for (const QString& name : aside)
            contents << QString::fromLatin1(readAll(folder.filePath(name)));
        contents.sort();
        QCOMPARE(contents, (QStringList{QStringLiteral("first{"), QStringLiteral("second{")}));
    }

    void aLinkedFileIsWrittenThroughItsLink() {
        // As a dotfiles repository links it: relative, into another folder.
        const QString target = m_dir.filePath(QStringLiteral("dotfiles/lullwick.json"));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QDir().mkpath(QFileInfo(path()).absolutePath());
        writeAll(target, "{\"enabled\":true}");
        QVERIFY(QFile::link(QStringLiteral("../dotfiles/lullwick.json"), path()));

        FilePreferencesStore store(path(), warn());
        QCOMPARE(store.value(QStringLiteral("enabled")), QVariant(true));
        QVERIFY(store.setValue(QStringLiteral("enabled"), false));

        QCOMPARE(QFileInfo(path()).symLinkTarget(), target);
        QCOMPARE(QJsonDocument::fromJson(readAll(target)).object().value(QLatin1String("enabled")),
                 QJsonValue(false));
        QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files | QDir::System),
                 QStringList{QStringLiteral("lullwick.json")});
        QVERIFY(m_warnings.isEmpty());
    }

    void failedWritesAreReportedOnceAndLeaveTheFile_data() {
        QTest::addColumn<QString>("cause");
        // Root ignores permissions and CI runs as root; the other two rows fail for it too.
        QTest::newRow("settings folder's place taken by a file") << "folder is a file";
        QTest::newRow("disk full (file size limit)") << "disk full";
        QTest::newRow("read-only settings folder") << "read-only";
    }
    void failedWritesAreReportedOnceAndLeaveTheFile() {
        QFETCH(QString, cause);
        const QString folder = QFileInfo(path()).absolutePath();
        const QByteArray old = "{\"enabled\":true,\"sensitivity\":\"high\"}";
        if (cause == QLatin1String("folder is a file")) {
            writeAll(folder, "in the way");
        } else {
            QDir().mkpath(folder);
            writeAll(path(), old);
        }
        FilePreferencesStore store(path(), warn());

        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        if (cause == QLatin1String("disk full")) {
            // Writes beyond 8 bytes fail with EFBIG, as a full disk's fail with ENOSPC.
            std::signal(SIGXFSZ, SIG_IGN);
            limit.rlim_cur = 8;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        } else if (cause == QLatin1String("read-only")) {
            if (geteuid() == 0)
                QSKIP("root writes into read-only folders");
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        const bool firstSaved = store.setValue(QStringLiteral("enabled"), false);
        const bool secondSaved =
            store.setValue(QStringLiteral("sensitivity"), QStringLiteral("low"));
        setrlimit(RLIMIT_FSIZE, &unlimited);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!firstSaved);
        QVERIFY(!secondSaved);
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY2(m_warnings[0].contains(path()) && !m_warnings[0].contains(u'\n'),
                 qPrintable(m_warnings[0]));
        QCOMPARE(store.value(QStringLiteral("enabled")), QVariant(false));
        if (cause != QLatin1String("folder is a file")) {
            QCOMPARE(readAll(path()), old);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QStringLiteral("settings.json")});
        }

        // Once saving works again, the next change saves the ones kept in memory too.
        if (cause == QLatin1String("folder is a file"))
            QFile::remove(folder);
        QVERIFY(store.setValue(QStringLiteral("scheduleEnabled"), true));
        const QJsonObject saved = QJsonDocument::fromJson(readAll(path())).object();
        QCOMPARE(saved.value(QLatin1String("enabled")), QJsonValue(false));
        QCOMPARE(saved.value(QLatin1String("sensitivity")), QJsonValue(QStringLiteral("low")));
    }

    void filesThatCannotBeSettingsAreNotRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("100 MB") << "100 MB";
        QTest::newRow("link to an endless device") << "/dev/zero";
        QTest::newRow("named pipe without a writer") << "pipe";
    }
    void filesThatCannotBeSettingsAreNotRead() {
        QFETCH(QString, kind);
        const QString folder = QFileInfo(path()).absolutePath();
        QDir().mkpath(folder);
        if (kind == QLatin1String("100 MB")) {
            QFile file(path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{\"enabled\":false,\"padding\":\"");
            QVERIFY(file.resize(100 * 1024 * 1024)); // sparse: quick to make
        } else if (kind == QLatin1String("/dev/zero")) {
            QVERIFY(QFile::link(kind, path()));
        } else {
            QCOMPARE(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        }
        // Unbounded, the first would stall the start and the others would never end.
        FilePreferencesStore store(path(), warn());
        QVERIFY(!store.value(QStringLiteral("enabled")).isValid());
        QCOMPARE(m_warnings.size(), 1);
        const QStringList aside = QDir(folder).entryList({QStringLiteral("settings.json.broken-*")},
                                                         QDir::Files | QDir::System);
        QCOMPARE(aside.size(), 1);
        if (kind == QLatin1String("100 MB"))
            QCOMPARE(QFileInfo(folder + u'/' + aside[0]).size(), 100 * 1024 * 1024);
        QVERIFY(store.setValue(QStringLiteral("enabled"), true));
        QVERIFY(QJsonDocument::fromJson(readAll(path())).isObject());
    }
};

QTEST_GUILESS_MAIN(TestFilePreferencesStore)
#include "FilePreferencesStoreTest.moc"
