#include "platform/FilePreferencesStore.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace lullwick;

class FilePreferencesStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_warnings;

    QString folder() const { return m_dir.filePath(QStringLiteral("lullwick")); }
    QString path() const { return folder() + QStringLiteral("/settings.json"); }
    const FilePreferencesStore::Warn m_warn = [this](const QString& line) { m_warnings << line; };

    static QJsonValue saved(const QString& path, const char* key) {
        return QJsonDocument::fromJson(readFile(path)).object().value(QLatin1String(key));
    }

private slots:
    void init() {
        m_warnings.clear();
        QDir(m_dir.path()).removeRecursively(); // each step makes the folders it needs
    }

    void valuesKeepTheirTypeThroughTheFile() {
        // Hand-edited values of other types are kept as they are.
        QVERIFY(writeFile(path(), R"({"future":{"a":[1]},"ratio":1.5})"));
        // A string that reads like a Boolean stays a string.
        const QVariantList values{false, QStringLiteral("true"), qint64(1320),
                                  QByteArray("[\x01\xff]")};
        {
            FilePreferencesStore store(path(), m_warn);
            for (qsizetype i = 0; i < values.size(); ++i)
                QVERIFY(store.setValue(QString::number(i), values[i]));
            QVERIFY(!store.setValue(QStringLiteral("unsupported"), 1.5));
        }
        const FilePreferencesStore reread(path(), m_warn);
        for (qsizetype i = 0; i < values.size(); ++i) {
            QCOMPARE(reread.value(QString::number(i)).metaType(), values[i].metaType());
            QCOMPARE(reread.value(QString::number(i)), values[i]);
        }
        QCOMPARE(reread.value(QStringLiteral("ratio")), QVariant(1.5));
        QCOMPARE(saved(path(), "future"), QJsonValue(QJsonObject{{"a", QJsonArray{1}}}));
        QVERIFY(m_warnings.isEmpty());
    }

    void aLinkedFileIsWrittenThroughItsLink() {
        // As a dotfiles repository links it: relative, into another folder.
        const QString target = m_dir.filePath(QStringLiteral("dotfiles/lullwick.json"));
        QVERIFY(writeFile(target, R"({"enabled":true})"));
        QVERIFY(QDir().mkpath(folder()) && QFile::link("../dotfiles/lullwick.json", path()));
        FilePreferencesStore store(path(), m_warn);
        QCOMPARE(store.value(QStringLiteral("enabled")), QVariant(true));
        QVERIFY(store.setValue(QStringLiteral("enabled"), false));
        QCOMPARE(QFileInfo(path()).symLinkTarget(), target);
        QCOMPARE(saved(target, "enabled"), QJsonValue(false));
        QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files | QDir::System),
                 QStringList{QStringLiteral("lullwick.json")});
    }

    // Both fail for root too, as CI runs.
    void failedWritesAreReportedOnceAndLeaveTheFile_data() {
        QTest::addColumn<bool>("diskFull"); // else the folder's place is taken by a file
        QTest::newRow("settings folder's place taken by a file") << false;
        QTest::newRow("disk full (file size limit)") << true;
    }
    void failedWritesAreReportedOnceAndLeaveTheFile() {
        QFETCH(bool, diskFull);
        const QByteArray old = R"({"enabled":true,"sensitivity":"high"})";
        const QString oldPath = diskFull ? path() : folder();
        QVERIFY(writeFile(oldPath, old));
        FilePreferencesStore store(path(), m_warn);
        const auto save = [&store] {
            return std::pair{store.setValue(QStringLiteral("enabled"), false),
                             store.setValue(QStringLiteral("sensitivity"), "low")};
        };
        QCOMPARE(diskFull ? withFileSizeLimit(8, save) : save(), std::pair(false, false));
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(m_warnings[0].contains(path()) && !m_warnings[0].contains(u'\n'));
        QCOMPARE(store.value(QStringLiteral("enabled")), QVariant(false));
        QCOMPARE(readFile(oldPath), old);
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), diskFull ? 1 : 0);

        // Once saving works again, the next change saves the ones kept in memory too.
        QFile::remove(folder()); // the file in its place, if any
        QVERIFY(store.setValue(QStringLiteral("scheduleEnabled"), true));
        QCOMPARE(saved(path(), "sensitivity"), QJsonValue("low"));
    }

    void badFilesAreMovedAsideNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("content"); // or a device or pipe in its place
        const QByteArray huge(FilePreferencesStore::maxFileSize, ' ');
        QTest::newRow("torn JSON") << QByteArray("{\"enabled\":false,\"sensi");
        QTest::newRow("not an object") << QByteArray("[1,2,3]");
        QTest::newRow("over the size bound") << R"({"enabled":false})" + huge;
        QTest::newRow("named pipe without a writer") << QByteArray("pipe");
    }
    void badFilesAreMovedAsideNeverOverwritten() {
        QFETCH(QByteArray, content);
        // Twice: the second bad file gets a name of its own.
        for (int round = 1; round <= 2; ++round) {
            QDir().mkpath(folder());
            if (content == "pipe")
                QCOMPARE(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
            else
                QVERIFY(writeFile(path(), content));
            // Unbounded, a huge file would stall the start and the others would never end.
            FilePreferencesStore store(path(), m_warn);
            QVERIFY(!store.value(QStringLiteral("enabled")).isValid());
            QCOMPARE(m_warnings.size(), round);
            QVERIFY(store.setValue(QStringLiteral("enabled"), true));
            QFile::remove(path());
        }
        const QStringList aside = QDir(folder()).entryList(
            {QStringLiteral("settings.json.broken-*")}, QDir::Files | QDir::System);
        QCOMPARE(aside.size(), 2);
        const QString first = folder() + u'/' + aside[0];
        QVERIFY(m_warnings.join(u' ').contains(first));
        if (content.startsWith('{') || content.startsWith('['))
            QCOMPARE(readFile(first), content);
    }
};

QTEST_GUILESS_MAIN(FilePreferencesStoreTest)
#include "FilePreferencesStoreTest.moc"
