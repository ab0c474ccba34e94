#include "platform/FilePreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

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

// Child mode: rewrites one large value forever, so that a kill lands mid-write.
int runWriter(const QString& path) {
    FilePreferencesStore store(path);
    for (qint64 round = 0;; ++round) {
        const QByteArray payload(256 * 1024, static_cast<char>('a' + round % 26));
        store.setValue(QStringLiteral("payload"), payload);
        store.setValue(QStringLiteral("round"), round);
    }
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

    void aFailedWriteIsReportedAndKeepsTheOldValue() {
        // The settings folder's place is taken by a regular file (root ignores permissions).
        writeAll(m_dir.filePath(QStringLiteral("lullwick")), "in the way");
        FilePreferencesStore store(path(), warn());
        QVERIFY(!store.setValue(QStringLiteral("enabled"), false));
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(!store.value(QStringLiteral("enabled")).isValid());
    }

    void killingAWriterNeverLeavesATornFile() {
        const QString file = path();
        for (int attempt = 0; attempt < 25; ++attempt) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--writer"), file});
            QVERIFY(writer.waitForStarted());
            // The kill must land at an arbitrary point of the write cycle: a random delay
            // is the point of this test, not a wait for a condition.
            QTest::qSleep(QRandomGenerator::global()->bounded(5, 60));
            writer.kill();
            QVERIFY(writer.waitForFinished());
            if (!QFile::exists(file))
                continue; // killed before the first commit
            const QJsonDocument document = QJsonDocument::fromJson(readAll(file));
            QVERIFY2(document.isObject(), "the settings file is torn");
            const FilePreferencesStore store(file, warn());
            const QByteArray payload = store.value(QStringLiteral("payload")).toByteArray();
            QCOMPARE(payload.size(), 256 * 1024);
            QCOMPARE(payload.count(payload.front()), payload.size());
            QVERIFY(m_warnings.isEmpty());
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    TestFilePreferencesStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "FilePreferencesStoreTest.moc"
