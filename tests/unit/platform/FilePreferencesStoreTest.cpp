#include "platform/FilePreferencesStore.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

using namespace lullwick;

class FilePreferencesStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_warnings;

    QString path() const { return m_dir.filePath(QStringLiteral("lullwick/settings.json")); }
    QString folder() const { return m_dir.filePath(QStringLiteral("lullwick")); }
    FilePreferencesStore store() {
        return FilePreferencesStore(path(), [this](const QString& line) { m_warnings << line; });
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& file, const QByteArray& data) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    }

private slots:
    void init() {
        m_warnings.clear();
        QDir(folder()).removeRecursively();
        QFile::remove(folder());
    }

    void valuesKeepTheirTypeAndUnknownKeysStay() {
        write(path(), R"({"ratio":1.5,"future":{"a":[1]},"asText":"true"})");
        const QVariantList values{false, QStringLiteral("high"), qint64(1320),
                                  QByteArray("[\x01\xff]")};
        {
            FilePreferencesStore first = store();
            QVERIFY(!first.setValue(QStringLiteral("unsupported"), 1.5));
            for (const QVariant& value : values)
                QVERIFY(first.setValue(value.typeName(), value));
        }
        const FilePreferencesStore reread = store();
        for (const QVariant& value : values)
            QCOMPARE(reread.value(value.typeName()), value);
        QCOMPARE(reread.value(QStringLiteral("asText")), QVariant(QStringLiteral("true")));
        QCOMPARE(reread.value(QStringLiteral("ratio")), QVariant(1.5));
        QVERIFY(!reread.value(QStringLiteral("unsupported")).isValid());
        QVERIFY(read(path()).contains(R"("future": {)"));
        QVERIFY(m_warnings.isEmpty());
    }

    void theLocationFollowsTheConfigHome() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        QCOMPARE(FilePreferencesStore::defaultPath(), path());
    }

    void badFilesAreMovedAsideNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("torn JSON") << QByteArray("{\"enabled\":false,\"sensi");
        QTest::newRow("not an object") << QByteArray("[1,2,3]");
        QTest::newRow("empty file") << QByteArray();
    }
    void badFilesAreMovedAsideNeverOverwritten() {
        QFETCH(QByteArray, content);
        for (int round = 1; round <= 2; ++round) { // a second bad file gets a name of its own
            write(path(), content);
            FilePreferencesStore bad = store();
            QVERIFY(!bad.value(QStringLiteral("enabled")).isValid());
            QVERIFY(bad.setValue(QStringLiteral("enabled"), true));
        }
        const QStringList aside =
            QDir(folder()).entryList({QStringLiteral("settings.json.broken-*")});
        QCOMPARE(aside.size(), 2);
        QCOMPARE(m_warnings.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(m_warnings.filter(path() + u' ').filter(aside[i] + u' ').size() == 1);
            QCOMPARE(read(folder() + u'/' + aside[i]), content);
        }
    }

    void aFailedWriteIsReportedAndKeepsTheOldValue() {
        // The folder's place is taken by a file: root ignores permission bits.
        write(m_dir.filePath(QStringLiteral("lullwick")), "in the way");
        FilePreferencesStore blocked = store();
        QVERIFY(!blocked.setValue(QStringLiteral("enabled"), false));
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(!blocked.value(QStringLiteral("enabled")).isValid());
    }

    void killingAWriterNeverLeavesATornFile() {
        for (int attempt = 0; attempt < 25; ++attempt) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--writer"), path()});
            QVERIFY(writer.waitForStarted());
            // The kill must land at an arbitrary point of the write cycle: the random delay is
            // the point of this test, not a wait for a condition.
            QTest::qSleep(QRandomGenerator::global()->bounded(5, 60));
            writer.kill();
            QVERIFY(writer.waitForFinished());
            if (!QFile::exists(path()))
                continue; // killed before the first commit
            const QByteArray payload = store().value(QStringLiteral("payload")).toByteArray();
            QCOMPARE(payload.size(), 256 * 1024);
            QCOMPARE(payload.count(payload.front()), payload.size());
            QVERIFY(m_warnings.isEmpty());
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0) {
        // Rewrites one large value forever, so that a kill lands mid-write.
        FilePreferencesStore store(QString::fromLocal8Bit(argv[2]));
        for (qint64 round = 0;; ++round)
            store.setValue(QStringLiteral("payload"),
                           QByteArray(256 * 1024, char('a' + round % 26)));
    }
    FilePreferencesStoreTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "FilePreferencesStoreTest.moc"
