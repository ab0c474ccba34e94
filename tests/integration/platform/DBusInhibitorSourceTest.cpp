#include "platform/DBusInhibitorSource.h"

#include "core/VideoDetector.h"
#include "support/DBusMock.h"

#include <QDBusVariant>
#include <QElapsedTimer>
#include <memory>
#include <vector>

using namespace lullwick;

namespace {

const QString logindName = QStringLiteral("org.freedesktop.login1");
const QString gnomeName = QStringLiteral("org.gnome.SessionManager");
const QString kdeName = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");

// A stand-in for the service with these inhibitors, in the notation of the rows below,
// answering each call delayMs late; "silent" owns the name and never reads a message.
std::unique_ptr<DBusMock> serve(const QString& name, const QString& inhibitors, int delayMs) {
    const bool system = name == logindName;
    const bool silent = inhibitors == QLatin1String("silent");
    const QDBusConnection bus =
        system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    const QString templates = QStringLiteral(LULLWICK_TEST_TEMPLATES_DIR "/");
    std::unique_ptr<DBusMock> mock;
    if (silent) {
        const QString script = QStringLiteral("import dbus, time\n"
                                              "dbus.%1Bus().request_name('%2')\n"
                                              "time.sleep(3600)\n")
                                   .arg(system ? "System" : "Session", name);
        mock = std::make_unique<DBusMock>(bus, name, QStringList{QStringLiteral("-c"), script});
    } else if (system) {
        mock = std::make_unique<DBusMock>(bus, name, QStringLiteral("logind"));
    } else if (name == gnomeName) {
        mock = std::make_unique<DBusMock>(bus, name, templates + "gnome_session_manager.py",
                                          QStringLiteral(R"({"delay": %1, "flags": [%2]})")
                                              .arg(delayMs / 1000.0)
                                              .arg(inhibitors));
    } else {
        mock = std::make_unique<DBusMock>(bus, name, templates + "kde_policy_agent.py", inhibitors);
    }
    if (!mock->waitUntilReady())
        return nullptr;
    if (!system || silent)
        return mock;
    const QString code = QStringLiteral("time.sleep(%1); ret = %2");
    const bool listed =
        mock->call("/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod",
                   {QString(), "ListInhibitors", QString(), "a(ssssuu)",
                    code.arg(delayMs / 1000.0).arg(inhibitors)});
    return listed ? std::move(mock) : nullptr;
}

// The holders of the snapshot with their assertion types, as "holder: A, B".
QStringList describe(const std::optional<AssertionSnapshot>& snapshot) {
    if (!snapshot)
        return {QStringLiteral("(no snapshot)")};
    QStringList lines;
    for (const AssertionEntry& entry : *snapshot) {
        QStringList types;
        for (const QVariant& record : entry.value.toList())
            types.append(record.toMap().value(QStringLiteral("AssertType")).toString());
        lines.append(entry.key.toString() + QStringLiteral(": ") +
                     types.join(QStringLiteral(", ")));
    }
    return lines;
}

} // namespace

class DBusInhibitorSourceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Never the machine's own buses.
        for (const char* bus : {"DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"})
            QVERIFY(qEnvironmentVariable(bus).contains(QLatin1String("lullwick")));
    }

    void noBusIsNoAnswer() {
        const QString nowhere = QStringLiteral("unix:path=/nonexistent/lullwick-bus");
        DBusInhibitorSource source(
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-1")),
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-2")));
        QCOMPARE(source.snapshot(), std::nullopt);
    }

    void inhibitorsOfEachService_data() {
        // Each service absent (""), silent, or with inhibitors: logind's as a Python list, OWN
        // standing for this process's pid; the session manager's flags, one inhibitor each; the
        // policy agent's as its parameters.
        QTest::addColumn<QString>("logind");
        QTest::addColumn<QString>("gnome");
        QTest::addColumn<QString>("kde");
        QTest::addColumn<int>("answerDelayMs"); // per call
        QTest::addColumn<QStringList>("holders");
        QTest::addColumn<bool>("videoPlaying");
        QTest::addColumn<int>("maxMs"); // for the whole check with the real bound; 0: a lax bound
        const QString idle = QStringLiteral("PreventUserIdleDisplaySleep");
        const QString sleep = QStringLiteral("PreventSystemSleep");
        const QStringList none{QStringLiteral("(no snapshot)")};
        // clang-format off
        QTest::newRow("logind") << "[('shutdown:sleep', 'nm', 'x', 'delay', 0, 700), ('handle-lid-switch', 'gsd', 'z', 'block', 1000, 705), ('idle', 'lullwick', 't', 'block', 1000, OWN)]" << "" << "" << 0 << QStringList{"700: " + sleep, "705: ", "OWN: " + idle} << false << 0;
        QTest::newRow("GNOME: suspend, idle, logout and user switch") << "" << "4, 8, 3" << "" << 0 << QStringList{"app0: " + sleep, "app1: " + idle, "app2: "} << true << 0;
        QTest::newRow("KDE") << "" << "" << R"({"active": [["sleep", "kded", "a", "block", 3], ["idle", "Firefox", "v", "block", 3]]})" << 0 << QStringList{"kded: " + sleep, "Firefox: " + idle} << true << 0;
        QTest::newRow("older KDE, screen inhibited") << "" << "" << R"({"screen_inhibited": true})" << 0 << QStringList{kdeName + ": " + idle} << true << 0;
        QTest::newRow("older KDE, screen free") << "" << "" << R"({"screen_inhibited": false})" << 0 << QStringList() << false << 0;
        QTest::newRow("logind at 200 ms, the others never") << "[('idle', 'vlc', 'v', 'block', 1000, 4000)]" << "silent" << "silent" << 200 << QStringList{"4000: " + idle} << true << 300;
        // Its list at 100 ms, then app id and flags at 200 and 300 ms: the second round has a
        // bound of its own. 700 ms: two bounds of 250 ms with room for a loaded machine.
        QTest::newRow("GNOME 100 ms a call, the others never") << "silent" << "8" << "silent" << 100 << QStringList{"app0: " + idle} << true << 700;
        // Its flags come 400 ms after its list: a partial answer is no answer.
        QTest::newRow("GNOME too slow for its second round") << "silent" << "8" << "silent" << 200 << none << false << 700;
        // clang-format on
    }
    void inhibitorsOfEachService() {
        QFETCH(QString, logind);
        QFETCH(QString, gnome);
        QFETCH(QString, kde);
        QFETCH(int, answerDelayMs);
        QFETCH(QStringList, holders);
        QFETCH(int, maxMs);
        const QString own = QString::number(QCoreApplication::applicationPid());
        holders.replaceInStrings(QStringLiteral("OWN"), own);

        std::vector<std::unique_ptr<DBusMock>> services;
        for (const auto& [name, inhibitors] :
             {std::pair{logindName, logind.replace("OWN", own)}, std::pair{gnomeName, gnome},
              std::pair{kdeName, kde}}) {
            if (inhibitors.isEmpty())
                continue;
            services.push_back(serve(name, inhibitors, answerDelayMs));
            QVERIFY(services.back());
        }

        using namespace std::chrono_literals;
        // The lax bound keeps a stand-in slow on a loaded machine from passing for a silent one.
        DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                   maxMs ? DBusInhibitorSource::defaultSourceTimeout : 5000ms);
        // The wait must not run the event loop: a queued call stays queued until it is over.
        bool delivered = false;
        QMetaObject::invokeMethod(
            this, [&delivered] { delivered = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        const auto snapshot = source.snapshot();
        const qint64 elapsedMs = clock.elapsed();
        QVERIFY(!delivered);
        QCOMPARE(describe(snapshot), holders);
        QTEST(VideoDetector::isVideoPlaying(snapshot, QCoreApplication::applicationPid()),
              "videoPlaying");
        QVERIFY2(!maxMs || elapsedMs < maxMs, qPrintable(QString::number(elapsedMs)));
        QTRY_VERIFY(delivered);
    }
};

QTEST_GUILESS_MAIN(DBusInhibitorSourceTest)
#include "DBusInhibitorSourceTest.moc"
