#include "platform/DBusInhibitorSource.h"

#include "core/VideoDetector.h"
#include "support/LogindMock.h"

#include <QElapsedTimer>
#include <memory>
#include <vector>

using namespace lullwick;

namespace {

// Far beyond the real bound, so that a stand-in slow on a loaded machine is not taken for one
// that never answers.
constexpr std::chrono::milliseconds answerTimeout{5000};

const QString logindName = QStringLiteral("org.freedesktop.login1");
const QString gnomeName = QStringLiteral("org.gnome.SessionManager");
const QString kdeName = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");

QString templatePath(const char* file) {
    return QStringLiteral(LULLWICK_TEST_TEMPLATES_DIR "/") + QLatin1String(file);
}

std::unique_ptr<DBusMock> gnomeMock(double delaySeconds = 0) {
    return std::make_unique<DBusMock>(QDBusConnection::sessionBus(), gnomeName,
                                      templatePath("gnome_session_manager.py"),
                                      QStringLiteral("{\"delay\": %1}").arg(delaySeconds));
}

// Takes an inhibitor as a browser would.
bool gnomeInhibit(const DBusMock& gnome, const QString& appId, uint flags) {
    return gnome
               .call("/org/gnome/SessionManager", gnomeName, "Inhibit",
                     {appId, 0u, "Playing media", QVariant::fromValue(flags)})
               .type() == QDBusMessage::ReplyMessage;
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
        QVERIFY(
            qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("lullwick")));
        QVERIFY(
            qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QLatin1String("lullwick")));
    }

    void noBusIsNoAnswer() {
        const QString nowhere = QStringLiteral("unix:path=/nonexistent/lullwick-bus");
        DBusInhibitorSource source(
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-1")),
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-2")));
        QCOMPARE(source.snapshot(), std::nullopt);
    }

    void inhibitorsOfEachService_data() {
        QTest::addColumn<QString>("service");
        // logind: a Python list, OWN standing for this process's pid; the session manager:
        // the flags of one inhibitor each, app ids app0, app1, …; the policy agent: parameters.
        QTest::addColumn<QString>("inhibitors");
        QTest::addColumn<QStringList>("holders");
        QTest::addColumn<bool>("videoPlaying");
        const QString idle = QStringLiteral("PreventUserIdleDisplaySleep");
        const QString sleep = QStringLiteral("PreventSystemSleep");
        // clang-format off
        QTest::newRow("logind, another's idle") << logindName << "[('idle', 'firefox', 'v', 'block', 1000, 4321)]" << QStringList{"4321: " + idle} << true;
        QTest::newRow("logind, own idle") << logindName << "[('idle', 'lullwick', 't', 'block', 1000, OWN)]" << QStringList{"OWN: " + idle} << false;
        QTest::newRow("logind, sleep only") << logindName << "[('sleep', 'nm', 'x', 'delay', 0, 700), ('shutdown:sleep', 'u', 'y', 'block', 0, 701)]" << QStringList{"700: " + sleep, "701: " + sleep} << false;
        QTest::newRow("logind, sleep and idle in one") << logindName << "[('sleep:idle', 'chromium', 'v', 'block', 1000, 702)]" << QStringList{"702: " + sleep + ", " + idle} << true;
        QTest::newRow("logind, own idle, then another's") << logindName << "[('idle', 'lullwick', 't', 'block', 1000, OWN), ('idle', 'vlc', 'v', 'block', 0, 704)]" << QStringList{"OWN: " + idle, "704: " + idle} << true;
        QTest::newRow("logind, other locks only") << logindName << "[('handle-lid-switch:shutdown', 'gsd', 'z', 'block', 1000, 705)]" << QStringList{"705: "} << false;
        QTest::newRow("GNOME, none") << gnomeName << "" << QStringList() << false;
        QTest::newRow("GNOME, idle and suspend") << gnomeName << "12" << QStringList{"app0: " + idle + ", " + sleep} << true;
        QTest::newRow("GNOME, logout and user switch") << gnomeName << "3" << QStringList{"app0: "} << false;
        QTest::newRow("GNOME, idle behind suspend") << gnomeName << "4 8" << QStringList{"app0: " + sleep, "app1: " + idle} << true;
        QTest::newRow("KDE, a video") << kdeName << R"({"active": [["sleep", "kded", "a", "block", 3], ["idle", "Firefox", "v", "block", 3]]})" << QStringList{"kded: " + sleep, "Firefox: " + idle} << true;
        QTest::newRow("KDE, nothing") << kdeName << R"({"active": []})" << QStringList() << false;
        QTest::newRow("older KDE, screen inhibited") << kdeName << R"({"screen_inhibited": true})" << QStringList{kdeName + ": " + idle} << true;
        QTest::newRow("older KDE, screen free") << kdeName << R"({"screen_inhibited": false})" << QStringList() << false;
        // clang-format on
    }
    void inhibitorsOfEachService() {
        QFETCH(QString, service);
        QFETCH(QString, inhibitors);
        QFETCH(QStringList, holders);
        const QString own = QString::number(QCoreApplication::applicationPid());
        holders.replaceInStrings(QStringLiteral("OWN"), own);

        std::unique_ptr<DBusMock> mock;
        if (service == logindName)
            mock = std::make_unique<LogindMock>();
        else if (service == gnomeName)
            mock = gnomeMock();
        else
            mock = std::make_unique<DBusMock>(QDBusConnection::sessionBus(), kdeName,
                                              templatePath("kde_policy_agent.py"), inhibitors);
        QVERIFY(mock->waitUntilReady());
        if (service == logindName)
            QVERIFY(static_cast<LogindMock&>(*mock).setInhibitors(inhibitors.replace("OWN", own)));
        const QStringList flags = inhibitors.split(u' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; service == gnomeName && i < flags.size(); ++i)
            QVERIFY(gnomeInhibit(*mock, QStringLiteral("app%1").arg(i), flags[i].toUInt()));

        DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                   answerTimeout);
        const auto snapshot = source.snapshot();
        QCOMPARE(describe(snapshot), holders);
        QTEST(VideoDetector::isVideoPlaying(snapshot, QCoreApplication::applicationPid()),
              "videoPlaying");
    }

    void serviceThatNeverAnswers_data() {
        QTest::addColumn<QStringList>("silent"); // own their name and never answer
        QTest::addColumn<QString>("answering");  // with a video, or none
        QTest::addColumn<int>("answerDelayMs");  // per call it answers
        QTest::addColumn<QStringList>("holders");
        QTest::addColumn<int>("maxMs"); // for the whole check, with the real bound

        const QStringList none{QStringLiteral("(no snapshot)")};
        QTest::newRow("every service silent")
            << QStringList{logindName, gnomeName, kdeName} << QString() << 0 << none << 300;
        QTest::newRow("logind answers at 200 ms, the session manager never")
            << QStringList{gnomeName, kdeName} << logindName << 200
            << QStringList{"4000: PreventUserIdleDisplaySleep"} << 300;
        // Its list at 100 ms, then app id and flags at 200 and 300 ms: the second round has a
        // bound of its own.
        QTest::newRow("the session manager answers each call in 100 ms, logind never")
            << QStringList{logindName, kdeName} << gnomeName << 100
            << QStringList{"org.mozilla.firefox: PreventUserIdleDisplaySleep"} << 500;
        // Its flags come 400 ms after its list: a partial answer is no answer.
        QTest::newRow("the session manager too slow for its second round")
            << QStringList{logindName, kdeName} << gnomeName << 200 << none << 500;
    }
    void serviceThatNeverAnswers() {
        QFETCH(QStringList, silent);
        QFETCH(QString, answering);
        QFETCH(int, answerDelayMs);
        QFETCH(QStringList, holders);
        QFETCH(int, maxMs);

        std::vector<std::unique_ptr<DBusMock>> services;
        for (const QString& name : silent) {
            // Owns the name, then never reads a message.
            const bool system = name == logindName;
            const QString script =
                QStringLiteral("import dbus, os, time\n"
                               "bus = dbus.bus.BusConnection(os.environ['%1'])\n"
                               "bus.request_name('%2')\n"
                               "time.sleep(3600)\n")
                    .arg(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", name);
            services.push_back(std::make_unique<DBusMock>(
                system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus(), name,
                QStringList{QStringLiteral("-c"), script}));
        }
        if (answering == logindName)
            services.push_back(std::make_unique<LogindMock>());
        else if (answering == gnomeName)
            services.push_back(gnomeMock(answerDelayMs / 1000.0));
        for (const auto& service : services)
            QVERIFY(service->waitUntilReady());
        if (answering == logindName)
            QVERIFY(
                static_cast<LogindMock&>(*services.back())
                    .setInhibitors("[('idle', 'vlc', 'v', 'block', 1000, 4000)]", answerDelayMs));
        else if (answering == gnomeName)
            QVERIFY(gnomeInhibit(*services.back(), "org.mozilla.firefox", 8));

        DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
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
        QVERIFY2(elapsedMs < maxMs, qPrintable(QString::number(elapsedMs)));
        QTRY_VERIFY(delivered);
    }
};

QTEST_GUILESS_MAIN(DBusInhibitorSourceTest)
#include "DBusInhibitorSourceTest.moc"
