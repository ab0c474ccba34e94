#include "platform/StoredMicrophonePermission.h"

#include "support/MemoryPreferencesStore.h"

#include <QTest>

using namespace lullwick;

class TestStoredMicrophonePermission : public QObject {
    Q_OBJECT

private slots:
    void statusFromTheStoredAnswer_data() {
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QVariant>("completed");
        QTest::addColumn<int>("status");
        const QVariant none;
        QTest::newRow("fresh") << none << none << 0;
        QTest::newRow("setup never completed") << none << QVariant(false) << 0;
        QTest::newRow("set up before the question") << none << QVariant(true) << 3;
        QTest::newRow("allowed") << QVariant(true) << none << 3;
        QTest::newRow("refused, also after the setup") << QVariant(false) << QVariant(true) << 2;
        QTest::newRow("not a Boolean") << QVariant(QStringLiteral("true")) << none << 0;
    }

    void statusFromTheStoredAnswer() {
        QFETCH(QVariant, answer);
        QFETCH(QVariant, completed);
        QFETCH(int, status);
        MemoryPreferencesStore store;
        if (answer.isValid())
            store.values.insert(QLatin1String(StoredMicrophonePermission::key), answer);
        if (completed.isValid())
            store.values.insert(QStringLiteral("hasCompletedOnboarding"), completed);
        StoredMicrophonePermission permission(store, {});
        QCOMPARE(static_cast<int>(permission.status()), status);
    }

    void everyRequestAsksAndTheAnswerIsStored() {
        MemoryPreferencesStore store;
        std::function<void(bool)> pendingQuestion;
        int asked = 0;
        StoredMicrophonePermission permission(store, [&](std::function<void(bool)> answer) {
            ++asked;
            pendingQuestion = std::move(answer);
        });
        QList<bool> replies;
        const auto reply = [&](bool granted) { replies.append(granted); };

        permission.request(reply);
        QCOMPARE(asked, 1);
        QVERIFY(replies.isEmpty());
        pendingQuestion(false);
        QCOMPARE(replies, QList<bool>{false});
        QCOMPARE(static_cast<int>(permission.status()), 2);

        // A refusal can be taken back.
        permission.request(reply);
        QCOMPARE(asked, 2);
        pendingQuestion(true);
        QCOMPARE(replies, (QList<bool>{false, true}));
        QCOMPARE(store.values.value(QLatin1String(StoredMicrophonePermission::key)),
                 QVariant(true));
    }

    void aSetupCompletedWithoutAnAnswerStillAsks() {
        MemoryPreferencesStore store;
        StoredMicrophonePermission permission(store, {});
        store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        QCOMPARE(static_cast<int>(permission.status()), 0);
    }
};

QTEST_GUILESS_MAIN(TestStoredMicrophonePermission)
#include "StoredMicrophonePermissionTest.moc"
