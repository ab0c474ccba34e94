// Wake notices from a logind stand-in on a private system bus.

#include "platform/LogindWakeNotifier.h"

#include "support/LogindMock.h"

#include <QSignalSpy>
#include <QTest>

using namespace lullwick;

class LogindWakeNotifierTest : public QObject {
    Q_OBJECT

private slots:
    void withoutABusThereIsNothingToFollow() {
        LogindWakeNotifier notifier(QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/lullwick-test-bus"), QStringLiteral("absent")));
        QCoreApplication::processEvents();
        QVERIFY(!notifier.isAttached());
    }

    // Followed when logind appears or restarts later; only the resume half is a wake, and
    // only when logind's owner sends it.
    void onlyLogindsResumeNoticeIsAWake() {
        QVERIFY2(qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS"), "run through with-dbus");
        LogindWakeNotifier notifier;
        QSignalSpy wakes(&notifier, &WakeNotifier::systemDidWake);
        for (int start = 1; start <= 2; ++start) {
            LogindMock logind;
            QVERIFY(logind.waitUntilReady());
            QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), LogindMock::timeoutMs);
            QDBusMessage forged =
                QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                           QStringLiteral("org.freedesktop.login1.Manager"),
                                           QStringLiteral("PrepareForSleep"));
            QVERIFY(QDBusConnection::systemBus().send(forged << false));
            QVERIFY(logind.prepareForSleep(true));
            QVERIFY(logind.prepareForSleep(false));
            // All three were on the bus before the last call returned: once its wake is here,
            // anything the others caused is here too.
            QTRY_VERIFY_WITH_TIMEOUT(wakes.count() >= start, LogindMock::timeoutMs);
            QCoreApplication::processEvents();
            QCOMPARE(wakes.count(), start);
            logind.stop();
            QTRY_VERIFY_WITH_TIMEOUT(!notifier.isAttached(), LogindMock::timeoutMs);
        }
    }
};

QTEST_GUILESS_MAIN(LogindWakeNotifierTest)
#include "LogindWakeNotifierTest.moc"
