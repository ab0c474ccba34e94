// Taking the application's name on a bus of the test's own, one that answers and one that
// has stopped answering.

#include "platform/DBusApplicationService.h"

#include "support/ChildProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class DBusApplicationServiceTest : public QObject {
    Q_OBJECT

private slots:
    void theNameIsAskedForWithoutWaiting_data() {
        QTest::addColumn<bool>("answering");
        QTest::newRow("bus answers") << true;
        QTest::newRow("bus stopped") << false;
    }
    void theNameIsAskedForWithoutWaiting() {
        QFETCH(bool, answering);
        QTemporaryDir folder;
        const QString address = QStringLiteral("unix:path=") + folder.filePath("bus");
        test::ChildProcess daemon(QStringLiteral("dbus-daemon"),
                                  {"--session", "--nofork", "--nopidfile", "--nosyslog",
                                   "--print-address=1", "--address=" + address});
        QTRY_VERIFY(!daemon.output().isEmpty());
        QDBusConnection bus = QDBusConnection::connectToBus(address, QTest::currentDataTag());
        QVERIFY(bus.isConnected());
        if (!answering)
            QCOMPARE(::kill(daemon.pid(), SIGSTOP), 0);

        DBusApplicationService service(bus);
        QSignalSpy registered(&service, &DBusApplicationService::registered);
        service.registerService();
        // The answer comes through the event loop; the GUI thread never waits for the bus.
        QCOMPARE(registered.count(), 0);
        QVERIFY(registered.wait());
        QCOMPARE(registered.first().first().toBool(), answering);
        ::kill(daemon.pid(), SIGCONT);
        QDBusConnection::disconnectFromBus(QTest::currentDataTag());
    }
};

QTEST_GUILESS_MAIN(DBusApplicationServiceTest)
#include "DBusApplicationServiceTest.moc"
