// Wake notices from a logind stand-in on a private system bus.

#include "platform/LogindWakeNotifier.h"

#include "support/DBusMock.h"

#include <QDBusVariant>
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
        const QString path = QStringLiteral("/org/freedesktop/login1");
        const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
        for (int start = 1; start <= 2; ++start) {
            DBusMock logind(QDBusConnection::systemBus(), "org.freedesktop.login1", "logind");
            QVERIFY(logind.waitUntilReady());
            QTRY_VERIFY_WITH_TIMEOUT(notifier.isAttached(), DBusMock::timeoutMs);
            QDBusMessage forged =
                QDBusMessage::createSignal(path, manager, QStringLiteral("PrepareForSleep"));
            QVERIFY(QDBusConnection::systemBus().send(forged << false));
            for (bool starting : {true, false}) {
                const QVariantList signal{
                    manager, "PrepareForSleep", "b",
                    QVariantList{QVariant::fromValue(QDBusVariant(starting))}};
                QVERIFY(logind.call(path, "org.freedesktop.DBus.Mock", "EmitSignal", signal));
            }
            // All three were on the bus before the last call returned: once its wake is here,
            // anything the others caused is here too.
            QTRY_VERIFY_WITH_TIMEOUT(wakes.count() >= start, DBusMock::timeoutMs);
            QCoreApplication::processEvents();
            QCOMPARE(wakes.count(), start);
            logind.stop();
            QTRY_VERIFY_WITH_TIMEOUT(!notifier.isAttached(), DBusMock::timeoutMs);
        }
    }
};

QTEST_GUILESS_MAIN(LogindWakeNotifierTest)
#include "LogindWakeNotifierTest.moc"
