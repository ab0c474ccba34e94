#include "platform/StoredMicrophonePermission.h"

#include "support/MemoryPreferencesStore.h"

#include <QTest>

using namespace lullwick;

class StoredMicrophonePermissionTest : public QObject {
    Q_OBJECT

private slots:
    void statusFollowsTheStoredAnswer() {
        const auto status = [](const QVariant& answer, const QVariant& completed) {
            MemoryPreferencesStore store;
            store.values.insert(StoredMicrophonePermission::key, answer);
            store.values.insert("hasCompletedOnboarding", completed);
            return StoredMicrophonePermission(store, {}).status();
        };
        QCOMPARE(status(QVariant(), false), MicStatus::notDetermined);
        QCOMPARE(status(QVariant(), true), MicStatus::authorized); // set up before the question
        QCOMPARE(status(false, true), MicStatus::denied);          // refused, also after the setup
        QCOMPARE(status(QStringLiteral("true"), QStringLiteral("true")), MicStatus::notDetermined);

        // Every request asks, and its answer is stored.
        MemoryPreferencesStore store;
        std::function<void(bool)> pending;
        StoredMicrophonePermission permission(store, [&](auto answer) { pending = answer; });
        // A setup completed after the start does not answer the question.
        store.values.insert("hasCompletedOnboarding", true);
        QCOMPARE(permission.status(), MicStatus::notDetermined);
        for (bool allowed : {false, true}) { // a refusal can be taken back
            bool replied = !allowed;
            permission.request([&replied](bool granted) { replied = granted; });
            QVERIFY(pending);
            std::exchange(pending, nullptr)(allowed);
            QCOMPARE(replied, allowed);
            QCOMPARE(permission.status(), allowed ? MicStatus::authorized : MicStatus::denied);
        }
    }
};

QTEST_GUILESS_MAIN(StoredMicrophonePermissionTest)
#include "StoredMicrophonePermissionTest.moc"
