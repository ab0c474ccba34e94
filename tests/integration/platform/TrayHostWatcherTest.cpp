#include "platform/TrayHostWatcher.h"

#include "support/FakeTimers.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

using namespace lullwick;

// The wait for a tray on a private session bus, without an X display.
class TrayHostWatcherTest : public QObject {
    Q_OBJECT

    static constexpr std::chrono::milliseconds limit{30000};

private slots:
    void initTestCase() { qunsetenv("DISPLAY"); } // only the bus is looked at

    // A watcher there before or coming later is found; with none the wait ends at its limit.
    void theWaitEndsWithTheWatcherOrAtItsLimit_data() {
        QTest::addColumn<int>("registerAtMs"); // -1: never, 0: before the wait
        QTest::newRow("already there") << 0;
        QTest::newRow("comes later") << 5000;
        QTest::newRow("never") << -1;
    }
    void theWaitEndsWithTheWatcherOrAtItsLimit() {
        QFETCH(int, registerAtMs);
        QDBusConnection panel = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");
        const QString name = QLatin1String(TrayHostWatcher::watcherService);
        QVERIFY(registerAtMs != 0 || panel.registerService(name));
        FakeTimers timers;
        TrayHostWatcher watcher(QDBusConnection::sessionBus(), timers);
        QSignalSpy ready(&watcher, &TrayHost::ready);
        watcher.waitForHost(limit);
        if (registerAtMs > 0) {
            timers.advance(std::chrono::milliseconds(registerAtMs));
            QCoreApplication::processEvents(); // the bus's answer that no one is there
            QVERIFY(ready.isEmpty());
            QVERIFY(panel.registerService(name));
        }
        QTRY_COMPARE(ready.size(), registerAtMs < 0 ? 0 : 1);
        timers.advance(limit - std::chrono::milliseconds(1));
        QCoreApplication::processEvents();
        QCOMPARE(ready.size(), registerAtMs < 0 ? 0 : 1);
        timers.advance(std::chrono::milliseconds(1)); // later, changes nothing for a found one
        QCOMPARE(ready.size(), 1);
        QCOMPARE(ready.front().front().toBool(), registerAtMs >= 0);
        panel.unregisterService(name);
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
    }
};

QTEST_GUILESS_MAIN(TrayHostWatcherTest)
#include "TrayHostWatcherTest.moc"
