#include "platform/TrayHostWatcher.h"

#include "support/FakeTimers.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

using namespace lullwick;

// The wait for a tray on a private session bus, without an X display: a watcher that
// appears late is found, and with none the wait gives up at its limit.
class TestTrayHostWatcher : public QObject {
    Q_OBJECT

    static constexpr std::chrono::milliseconds limit{30000};

    static QDBusConnection connect(const QString& name) {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    }

private slots:
    void initTestCase() {
        qunsetenv("DISPLAY"); // only the bus is looked at
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void aWatcherThatComesLaterIsFound_data() {
        QTest::addColumn<bool>("before");
        QTest::newRow("already there") << true;
        QTest::newRow("comes later") << false;
    }

    void aWatcherThatComesLaterIsFound() {
        QFETCH(bool, before);
        QDBusConnection panel = connect(QStringLiteral("panel"));
        const QString name = QLatin1String(TrayHostWatcher::watcherService);
        if (before)
            QVERIFY(panel.registerService(name));
        FakeTimers timers;
        TrayHostWatcher watcher(QDBusConnection::sessionBus(), timers);
        QSignalSpy ready(&watcher, &TrayHost::ready);
        watcher.waitForHost(limit);
        if (!before) {
            timers.advance(std::chrono::seconds(5));
            QVERIFY(ready.isEmpty());
            QVERIFY(panel.registerService(name));
        }
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(ready.front().front().toBool(), true);
        timers.advance(limit); // the limit passing later changes nothing
        QCOMPARE(ready.size(), 1);
        panel.unregisterService(name);
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
    }

    void withoutATrayTheWaitEndsAtItsLimit() {
        FakeTimers timers;
        TrayHostWatcher watcher(QDBusConnection::sessionBus(), timers);
        QSignalSpy ready(&watcher, &TrayHost::ready);
        watcher.waitForHost(limit);
        timers.advance(limit - std::chrono::milliseconds(1));
        QCoreApplication::processEvents(); // the bus's answer that no one is there
        QVERIFY(ready.isEmpty());
        timers.advance(std::chrono::milliseconds(1));
        QCOMPARE(ready.size(), 1);
        QCOMPARE(ready.front().front().toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestTrayHostWatcher)
#include "TrayHostWatcherTest.moc"
