// Wake notices from a logind stand-in on a private system bus.

#include "platform/LogindWakeNotifier.h"

#include "support/LogindMock.h"

#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

using namespace lullwick;

namespace {

constexpr int busTimeoutMs = 20000;

} // namespace

class LogindWakeNotifierTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS"),
                 "run through scripts/with-dbus");
        QVERIFY(QDBusConnection::systemBus().isConnected());
        QVERIFY(!LogindMock::isRegistered());
    }

    void withoutABusThereIsNothingToFollow() {
        const QDBusConnection absent = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/lullwick-test-bus"), QStringLiteral("absent"));
        QVERIFY(!absent.isConnected());
        LogindWakeNotifier notifier(absent);
        QSignalSpy wakes(&notifier, &WakeNotifier::systemDidWake);
        QCoreApplication::processEvents();
        QVERIFY(!notifier.isAttached());
        QCOMPARE(wakes.count(), 0);
        QDBusConnection::disconnectFromBus(QStringLiteral("absent"));
    }

    void onlyTheResumeHalfIsAWake() {
        LogindMock logind;
        QVERIFY(logind.waitUntilReady());
        LogindWakeNotifier notifier;
        QSignalSpy wakes(&notifier, &WakeNotifier::systemDidWake);
        QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), busTimeoutMs);

        QVERIFY(logind.prepareForSleep(true));
        QVERIFY(logind.prepareForSleep(false));
        // Both notices were on the bus before the second call returned; once a wake is here,
        // anything the first one caused is here too.
        QTRY_VERIFY_WITH_TIMEOUT(wakes.count() >= 1, busTimeoutMs);
        QCoreApplication::processEvents();
        QCOMPARE(wakes.count(), 1);

        QVERIFY(logind.prepareForSleep(false));
        QTRY_COMPARE_WITH_TIMEOUT(wakes.count(), 2, busTimeoutMs);
    }

    void logindThatAppearsOrRestartsLaterIsFollowed() {
        LogindWakeNotifier notifier;
        QSignalSpy wakes(&notifier, &WakeNotifier::systemDidWake);
        QCoreApplication::processEvents();
        QVERIFY(!notifier.isAttached());

        auto logind = std::make_unique<LogindMock>();
        QVERIFY(logind->waitUntilReady());
        QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), busTimeoutMs);
        QVERIFY(logind->prepareForSleep(false));
        QTRY_COMPARE_WITH_TIMEOUT(wakes.count(), 1, busTimeoutMs);

        logind.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!notifier.isAttached(), busTimeoutMs);

        logind = std::make_unique<LogindMock>();
        QVERIFY(logind->waitUntilReady());
        QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), busTimeoutMs);
        QVERIFY(logind->prepareForSleep(false));
        QTRY_COMPARE_WITH_TIMEOUT(wakes.count(), 2, busTimeoutMs);
    }

    void aSignalFromAnyoneElseIsNoWake() {
        LogindMock logind;
        QVERIFY(logind.waitUntilReady());
        LogindWakeNotifier notifier;
        QSignalSpy wakes(&notifier, &WakeNotifier::systemDidWake);
        QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), busTimeoutMs);

        // Same path, interface and name, but not sent by logind's owner.
        QDBusMessage forged = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        forged << false;
        QVERIFY(QDBusConnection::systemBus().send(forged));
        // Sent before logind is asked to emit: it is here by the time logind's wake is.
        QVERIFY(logind.prepareForSleep(false));
        QTRY_VERIFY_WITH_TIMEOUT(wakes.count() >= 1, busTimeoutMs);
        QCoreApplication::processEvents();
        QCOMPARE(wakes.count(), 1);
    }
};

QTEST_GUILESS_MAIN(LogindWakeNotifierTest)
#include "LogindWakeNotifierTest.moc"
