#include "platform/DBusInhibitorSource.h"

#include "core/VideoDetector.h"
#include "support/LogindMock.h"

#include <QCoreApplication>
#include <QTest>

using namespace lullwick;

namespace {

// Far beyond the real source timeout, so that a stand-in slow on a loaded machine is not
// taken for one that never answers.
constexpr std::chrono::milliseconds answerTimeout{5000};

const QString gnomeName = QStringLiteral("org.gnome.SessionManager");
const QString kdeName = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");

QString templatePath(const char* file) {
    return QStringLiteral(LULLWICK_TEST_TEMPLATES_DIR "/") + QLatin1String(file);
}

// The holders of the snapshot with their assertion types, as "holder: A, B".
QStringList describe(const std::optional<AssertionSnapshot>& snapshot) {
    if (!snapshot)
        return {QStringLiteral("(no snapshot)")};
    QStringList lines;
    for (const AssertionEntry& entry : *snapshot) {
        QStringList types;
        for (const QVariant& record : entry.value.toList())
            types << record.toMap().value(QStringLiteral("AssertType")).toString();
        lines << entry.key.toString() + QStringLiteral(": ") + types.join(QStringLiteral(", "));
    }
    return lines;
}

// Takes idle/suspend inhibitors as browsers do, app ids app0, app1, …
bool gnomeInhibit(const DBusMock& gnome, const QString& flags) {
    const QStringList each = flags.split(u',', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < each.size(); ++i)
        if (gnome
                .call(QStringLiteral("/org/gnome/SessionManager"), gnomeName,
                      QStringLiteral("Inhibit"),
                      {QStringLiteral("app%1").arg(i), 0u, QStringLiteral("Playing media"),
                       each[i].toUInt()})
                .type() != QDBusMessage::ReplyMessage)
            return false;
    return true;
}

bool isVideoPlaying(const std::optional<AssertionSnapshot>& snapshot) {
    return VideoDetector::isVideoPlaying(snapshot, QCoreApplication::applicationPid());
}

} // namespace

class DBusInhibitorSourceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Run through scripts/with-dbus: never the machine's own buses.
        QVERIFY(
            qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("lullwick")));
        QVERIFY(
            qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QLatin1String("lullwick")));
    }

    void withoutBusesOrServicesThereIsNoSnapshot() {
        const QString nowhere = QStringLiteral("unix:path=/nonexistent/lullwick-bus");
        DBusInhibitorSource absent(
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-1")),
            QDBusConnection::connectToBus(nowhere, QStringLiteral("none-2")));
        QCOMPARE(absent.snapshot(), std::nullopt);
        DBusInhibitorSource silent(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                   answerTimeout);
        QCOMPARE(silent.snapshot(), std::nullopt);
    }

    // setup: logind's Python list (OWN is this process), the session manager's flags, or the
    // policy agent's template parameters.
    void holders_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("holders");
        QTest::addColumn<bool>("video");
        QTest::newRow("logind: idle of another process")
            << "logind"
            << "[('idle', 'firefox', 'v', 'block', 1000, 4321)]"
            << QStringList{"4321: PreventUserIdleDisplaySleep"} << true;
        QTest::newRow("logind: own idle, another's sleep and other locks")
            << "logind"
            << "[('idle', 'lullwick', 't', 'block', 1000, OWN), ('shutdown:sleep', 'x', 'y', "
               "'delay', 0, 700), ('handle-lid-switch', 'gsd', 'z', 'block', 0, 705)]"
            << QStringList{"OWN: PreventUserIdleDisplaySleep", "700: PreventSystemSleep", "705: "}
            << false;
        QTest::newRow("logind: sleep and idle in one")
            << "logind"
            << "[('sleep:idle', 'chromium', 'v', 'block', 1000, 702)]"
            << QStringList{"702: PreventSystemSleep, PreventUserIdleDisplaySleep"} << true;
        QTest::newRow("session manager: none is an answer") << "gnome"
                                                            << "" << QStringList() << false;
        QTest::newRow("session manager: idle and suspend")
            << "gnome"
            << "12" << QStringList{"app0: PreventUserIdleDisplaySleep, PreventSystemSleep"} << true;
        QTest::newRow("session manager: suspend, logout, then idle")
            << "gnome"
            << "4,3,8"
            << QStringList{"app0: PreventSystemSleep",
                           "app1: ", "app2: PreventUserIdleDisplaySleep"}
            << true;
        QTest::newRow("Plasma 6: a video")
            << "kde"
            << R"({"active": [["sleep", "kded", "a", "block", 3], ["idle", "Firefox", "v", "block", 3]]})"
            << QStringList{"kded: PreventSystemSleep", "Firefox: PreventUserIdleDisplaySleep"}
            << true;
        QTest::newRow("Plasma 6: nothing") << "kde"
                                           << R"({"active": []})" << QStringList() << false;
        QTest::newRow("older agent: screen inhibited")
            << "kde"
            << R"({"screen_inhibited": true})"
            << QStringList{kdeName + ": PreventUserIdleDisplaySleep"} << true;
        QTest::newRow("older agent: screen free")
            << "kde"
            << R"({"screen_inhibited": false})" << QStringList() << false;
    }
    void holders() {
        QFETCH(QString, service);
        QFETCH(QString, setup);
        QFETCH(QStringList, holders);
        const QString own = QString::number(QCoreApplication::applicationPid());
        holders.replaceInStrings(QStringLiteral("OWN"), own);
        std::unique_ptr<DBusMock> mock;
        if (service == QLatin1String("logind"))
            mock = std::make_unique<LogindMock>();
        else if (service == QLatin1String("gnome"))
            mock = std::make_unique<DBusMock>(QDBusConnection::sessionBus(), gnomeName,
                                              templatePath("gnome_session_manager.py"));
        else
            mock = std::make_unique<DBusMock>(QDBusConnection::sessionBus(), kdeName,
                                              templatePath("kde_policy_agent.py"), setup);
        QVERIFY(mock->waitUntilReady());
        if (service == QLatin1String("logind"))
            QVERIFY(static_cast<LogindMock&>(*mock).setInhibitors(setup.replace("OWN", own)));
        if (service == QLatin1String("gnome"))
            QVERIFY(gnomeInhibit(*mock, setup));

        DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                   answerTimeout);
        const auto snapshot = source.snapshot();
        QCOMPARE(describe(snapshot), holders);
        QTEST(isVideoPlaying(snapshot), "video");
    }

    void aServiceThatNeverAnswersIsPassedOver_data() {
        QTest::addColumn<bool>("hangOnSystemBus"); // else the session manager hangs
        QTest::newRow("logind hangs, the session manager has a video") << true;
        QTest::newRow("the session manager hangs, logind has a video") << false;
    }
    void aServiceThatNeverAnswersIsPassedOver() {
        QFETCH(bool, hangOnSystemBus);
        // Owns the name, then never reads a message: every call to it goes unanswered.
        const QString hangName =
            hangOnSystemBus ? QStringLiteral("org.freedesktop.login1") : gnomeName;
        const QString script =
            QStringLiteral("import dbus, os, time\n"
                           "bus = dbus.bus.BusConnection(os.environ['%1'])\n"
                           "bus.request_name('%2')\n"
                           "time.sleep(3600)\n")
                .arg(hangOnSystemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
                     hangName);
        const DBusMock hanging(hangOnSystemBus ? QDBusConnection::systemBus()
                                               : QDBusConnection::sessionBus(),
                               hangName, {QStringLiteral("-c"), script});
        QVERIFY(hanging.waitUntilReady());
        std::unique_ptr<DBusMock> other;
        if (hangOnSystemBus) {
            other = std::make_unique<DBusMock>(QDBusConnection::sessionBus(), gnomeName,
                                               templatePath("gnome_session_manager.py"));
            QVERIFY(other->waitUntilReady() && gnomeInhibit(*other, QStringLiteral("8")));
        } else {
            auto logind = std::make_unique<LogindMock>();
            QVERIFY(logind->waitUntilReady());
            QVERIFY(
                logind->setInhibitors(QStringLiteral("[('idle', 'vlc', 'v', 'block', 0, 4000)]")));
            other = std::move(logind);
        }

        DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                                   std::chrono::milliseconds(1000));
        // The wait must not run the event loop: a queued call stays queued until it is over.
        bool delivered = false;
        QMetaObject::invokeMethod(
            this, [&delivered] { delivered = true; }, Qt::QueuedConnection);
        QVERIFY(isVideoPlaying(source.snapshot()));
        QVERIFY(!delivered);
        QTRY_VERIFY(delivered);
    }
};

QTEST_GUILESS_MAIN(DBusInhibitorSourceTest)
#include "DBusInhibitorSourceTest.moc"
