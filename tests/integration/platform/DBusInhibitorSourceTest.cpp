#include "platform/DBusInhibitorSource.h"

#include "core/VideoDetector.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <memory>
#include <vector>

using namespace lullwick;

namespace {

// Generous: python and dbusmock start slowly on a loaded machine.
constexpr int serviceStartTimeoutMs = 30000;
// Far beyond the real source timeout, so that a stand-in that is slow on a loaded machine is
// not taken for one that never answers.
constexpr std::chrono::milliseconds answerTimeout{5000};

const QString logindName = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString gnomeName = QStringLiteral("org.gnome.SessionManager");
const QString gnomePath = QStringLiteral("/org/gnome/SessionManager");
const QString kdeName = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

QString templatePath(const char* file) {
    return QStringLiteral(LULLWICK_TEST_TEMPLATES_DIR "/") + QLatin1String(file);
}

// A stand-in service on one of the private buses, stopped when it goes out of scope.
class Service {
public:
    Service(QDBusConnection bus, QString name, const QStringList& arguments)
        : m_bus(std::move(bus)), m_name(std::move(name)) {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(arguments);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }

    ~Service() {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
        // Gone from the bus before the next test asks.
        QDeadlineTimer deadline(10000);
        while (isRegistered() && !deadline.hasExpired())
            QTest::qWait(20);
    }

    bool isRegistered() const { return m_bus.interface()->isServiceRegistered(m_name); }

    // Polls the bus until the service owns its name.
    bool waitUntilReady() const {
        QDeadlineTimer deadline(serviceStartTimeoutMs);
        while (!deadline.hasExpired()) {
            if (isRegistered())
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(50);
        }
        return false;
    }

private:
    QDBusConnection m_bus;
    QString m_name;
    QProcess m_process;
};

std::unique_ptr<Service> startMock(const QDBusConnection& bus, const QString& name,
                                   const QString& templateName, const QString& parameters = {}) {
    QStringList arguments{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                          QStringLiteral("--template"), templateName};
    if (!parameters.isEmpty())
        arguments << QStringLiteral("--parameters") << parameters;
    return std::make_unique<Service>(bus, name, arguments);
}

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    return bus.call(message, QDBus::Block, 10000);
}

// Makes the logind mock list exactly these inhibitors: Python tuples (what, who, why, mode,
// uid, pid), in this order, answering after delayMs.
bool setLogindInhibitors(const QString& pythonList, int delayMs = 0) {
    const QString code =
        QStringLiteral("time.sleep(%1); ret = %2").arg(delayMs / 1000.0).arg(pythonList);
    const QDBusMessage reply = call(QDBusConnection::systemBus(), logindName, logindPath,
                                    mockInterface, QStringLiteral("AddMethod"),
                                    {QString(), QStringLiteral("ListInhibitors"), QString(),
                                     QStringLiteral("a(ssssuu)"), code});
    return reply.type() == QDBusMessage::ReplyMessage;
}

// Takes an inhibitor as a browser would; it holds while the cookie is kept.
std::optional<uint> gnomeInhibit(const QString& appId, uint flags) {
    const QDBusMessage reply = call(
        QDBusConnection::sessionBus(), gnomeName, gnomePath, gnomeName, QStringLiteral("Inhibit"),
        {appId, 0u, QStringLiteral("Playing media"), QVariant::fromValue(flags)});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply.arguments().at(0).toUInt();
}

QStringList typesOf(const QVariant& records) {
    QStringList types;
    for (const QVariant& record : records.toList())
        types.append(record.toMap().value(QStringLiteral("AssertType")).toString());
    return types;
}

// The holders of the snapshot with their assertion types, as "holder: A, B".
QStringList describe(const std::optional<AssertionSnapshot>& snapshot) {
    QStringList lines;
    if (!snapshot)
        return {QStringLiteral("(no snapshot)")};
    for (const AssertionEntry& entry : *snapshot)
        lines.append(entry.key.toString() + QStringLiteral(": ") +
                     typesOf(entry.value).join(QStringLiteral(", ")));
    return lines;
}

} // namespace

class DBusInhibitorSourceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void noBusAtAll();
    void noServices();
    void logindInhibitorTakenAndDropped();
    void logindInhibitors_data();
    void logindInhibitors();
    void gnomeInhibitors_data();
    void gnomeInhibitors();
    void policyAgent_data();
    void policyAgent();
    void serviceThatNeverAnswers_data();
    void serviceThatNeverAnswers();

private:
    static bool isVideoPlaying(InhibitorSource& source) {
        return VideoDetector::isVideoPlaying(source.snapshot(), QCoreApplication::applicationPid());
    }
};

void DBusInhibitorSourceTest::initTestCase() {
    // Run through scripts/with-dbus: never the machine's own buses.
    QVERIFY(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("lullwick")));
    QVERIFY(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QLatin1String("lullwick")));
    QVERIFY(QDBusConnection::systemBus().isConnected());
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void DBusInhibitorSourceTest::noBusAtAll() {
    const QString nowhere = QStringLiteral("unix:path=/nonexistent/lullwick-bus");
    DBusInhibitorSource source(QDBusConnection::connectToBus(nowhere, QStringLiteral("none-1")),
                               QDBusConnection::connectToBus(nowhere, QStringLiteral("none-2")));
    QCOMPARE(source.snapshot(), std::nullopt);
    QVERIFY(!isVideoPlaying(source));
}

void DBusInhibitorSourceTest::noServices() {
    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                               answerTimeout);
    QCOMPARE(source.snapshot(), std::nullopt);
    QVERIFY(!isVideoPlaying(source));
}

void DBusInhibitorSourceTest::logindInhibitorTakenAndDropped() {
    const auto logind =
        startMock(QDBusConnection::systemBus(), logindName, QStringLiteral("logind"));
    QVERIFY(logind->waitUntilReady());
    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                               answerTimeout);
    QCOMPARE(describe(source.snapshot()), QStringList());
    QVERIFY(!isVideoPlaying(source));

    // The mock records every inhibitor as held by pid 123456.
    auto reply = std::make_unique<QDBusMessage>(
        call(QDBusConnection::systemBus(), logindName, logindPath,
             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"),
             {QStringLiteral("idle"), QStringLiteral("mpv"), QStringLiteral("Playing"),
              QStringLiteral("block")}));
    QCOMPARE(reply->type(), QDBusMessage::ReplyMessage);
    auto lock = std::make_unique<QDBusUnixFileDescriptor>(
        reply->arguments().at(0).value<QDBusUnixFileDescriptor>());
    QVERIFY(lock->isValid());
    QCOMPARE(describe(source.snapshot()),
             QStringList{QStringLiteral("123456: PreventUserIdleDisplaySleep")});
    QVERIFY(isVideoPlaying(source));

    // Closing the lock ends the inhibitor.
    reply.reset();
    lock.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!isVideoPlaying(source), 10000);
    QCOMPARE(describe(source.snapshot()), QStringList());
}

void DBusInhibitorSourceTest::logindInhibitors_data() {
    QTest::addColumn<QString>("inhibitors"); // Python list; OWN stands for this process's pid
    QTest::addColumn<QStringList>("holders");
    QTest::addColumn<bool>("videoPlaying");

    QTest::newRow("idle inhibitor of another process")
        << "[('idle', 'firefox', 'video', 'block', 1000, 4321)]"
        << QStringList{"4321: PreventUserIdleDisplaySleep"} << true;
    QTest::newRow("idle inhibitor of this process")
        << "[('idle', 'lullwick', 'test', 'block', 1000, OWN)]"
        << QStringList{"OWN: PreventUserIdleDisplaySleep"} << false;
    QTest::newRow("sleep-only inhibitors")
        << "[('sleep', 'NetworkManager', 'x', 'delay', 0, 700),"
           " ('shutdown:sleep', 'updater', 'y', 'block', 0, 701)]"
        << QStringList{"700: PreventSystemSleep", "701: PreventSystemSleep"} << false;
    QTest::newRow("sleep and idle in one inhibitor")
        << "[('sleep:idle', 'chromium', 'video', 'block', 1000, 702)]"
        << QStringList{"702: PreventSystemSleep, PreventUserIdleDisplaySleep"} << true;
    QTest::newRow("own idle, another's sleep")
        << "[('idle', 'lullwick', 't', 'block', 1000, OWN), ('sleep', 'x', 'y', 'block', 0, 703)]"
        << QStringList{"OWN: PreventUserIdleDisplaySleep", "703: PreventSystemSleep"} << false;
    QTest::newRow("own idle, then another's idle")
        << "[('idle', 'lullwick', 't', 'block', 1000, OWN), ('idle', 'vlc', 'v', 'block', 0, 704)]"
        << QStringList{"OWN: PreventUserIdleDisplaySleep", "704: PreventUserIdleDisplaySleep"}
        << true;
    QTest::newRow("other locks only")
        << "[('handle-lid-switch:shutdown', 'gsd', 'z', 'block', 1000, 705)]"
        << QStringList{"705: "} << false;
}

void DBusInhibitorSourceTest::logindInhibitors() {
    QFETCH(QString, inhibitors);
    QFETCH(QStringList, holders);
    QFETCH(bool, videoPlaying);
    const QString own = QString::number(QCoreApplication::applicationPid());
    inhibitors.replace(QLatin1String("OWN"), own);
    holders.replaceInStrings(QStringLiteral("OWN"), own);

    const auto logind =
        startMock(QDBusConnection::systemBus(), logindName, QStringLiteral("logind"));
    QVERIFY(logind->waitUntilReady());
    QVERIFY(setLogindInhibitors(inhibitors));

    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                               answerTimeout);
    QCOMPARE(describe(source.snapshot()), holders);
    QCOMPARE(isVideoPlaying(source), videoPlaying);
}

void DBusInhibitorSourceTest::gnomeInhibitors_data() {
    QTest::addColumn<QList<uint>>("flags"); // one inhibitor each, app ids app0, app1, …
    QTest::addColumn<QStringList>("holders");
    QTest::addColumn<bool>("videoPlaying");

    QTest::newRow("idle (screensaver proxy for a browser)")
        << QList<uint>{8} << QStringList{"app0: PreventUserIdleDisplaySleep"} << true;
    QTest::newRow("idle and suspend (Chromium)")
        << QList<uint>{12} << QStringList{"app0: PreventUserIdleDisplaySleep, PreventSystemSleep"}
        << true;
    QTest::newRow("suspend only") << QList<uint>{4} << QStringList{"app0: PreventSystemSleep"}
                                  << false;
    QTest::newRow("logout and user switch") << QList<uint>{1 | 2} << QStringList{"app0: "} << false;
    QTest::newRow("idle behind another")
        << QList<uint>{4, 8}
        << QStringList{"app0: PreventSystemSleep", "app1: PreventUserIdleDisplaySleep"} << true;
}

void DBusInhibitorSourceTest::gnomeInhibitors() {
    QFETCH(QList<uint>, flags);
    QFETCH(QStringList, holders);
    QFETCH(bool, videoPlaying);

    const auto gnome = startMock(QDBusConnection::sessionBus(), gnomeName,
                                 templatePath("gnome_session_manager.py"));
    QVERIFY(gnome->waitUntilReady());
    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                               answerTimeout);
    // Answering with no inhibitors is an answer: an empty snapshot, not none.
    QCOMPARE(describe(source.snapshot()), QStringList());

    QList<uint> cookies;
    for (qsizetype i = 0; i < flags.size(); ++i) {
        const auto cookie = gnomeInhibit(QStringLiteral("app%1").arg(i), flags[i]);
        QVERIFY(cookie);
        cookies.append(*cookie);
    }
    QCOMPARE(describe(source.snapshot()), holders);
    QCOMPARE(isVideoPlaying(source), videoPlaying);

    for (uint cookie : cookies)
        call(QDBusConnection::sessionBus(), gnomeName, gnomePath, gnomeName,
             QStringLiteral("Uninhibit"), {cookie});
    QVERIFY(!isVideoPlaying(source));
}

void DBusInhibitorSourceTest::policyAgent_data() {
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QStringList>("holders");
    QTest::addColumn<bool>("videoPlaying");

    QTest::newRow("Plasma 6, a video")
        << R"({"active": [["sleep", "kded", "a", "block", 3],
                          ["idle", "Firefox", "Playing video", "block", 3]]})"
        << QStringList{"kded: PreventSystemSleep", "Firefox: PreventUserIdleDisplaySleep"} << true;
    QTest::newRow("Plasma 6, sleep only")
        << R"({"active": [["sleep", "Discover", "Updating", "block", 3]]})"
        << QStringList{"Discover: PreventSystemSleep"} << false;
    QTest::newRow("Plasma 6, nothing") << R"({"active": []})" << QStringList() << false;
    QTest::newRow("older agent, screen inhibited")
        << R"({"screen_inhibited": true})"
        << QStringList{"org.kde.Solid.PowerManagement.PolicyAgent: PreventUserIdleDisplaySleep"}
        << true;
    QTest::newRow("older agent, screen free")
        << R"({"screen_inhibited": false})" << QStringList() << false;
}

void DBusInhibitorSourceTest::policyAgent() {
    QFETCH(QString, parameters);
    QFETCH(QStringList, holders);
    QFETCH(bool, videoPlaying);

    const auto agent = startMock(QDBusConnection::sessionBus(), kdeName,
                                 templatePath("kde_policy_agent.py"), parameters);
    QVERIFY(agent->waitUntilReady());
    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus(),
                               answerTimeout);
    QCOMPARE(describe(source.snapshot()), holders);
    QCOMPARE(isVideoPlaying(source), videoPlaying);
}

void DBusInhibitorSourceTest::serviceThatNeverAnswers_data() {
    QTest::addColumn<QStringList>("silent"); // services that own their name and never answer
    QTest::addColumn<QString>("answering");  // a service with a video, or none
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

void DBusInhibitorSourceTest::serviceThatNeverAnswers() {
    QFETCH(QStringList, silent);
    QFETCH(QString, answering);
    QFETCH(int, answerDelayMs);
    QFETCH(QStringList, holders);
    QFETCH(int, maxMs);

    std::vector<std::unique_ptr<Service>> services;
    for (const QString& name : silent) {
        // Owns the name, then never reads a message: every call to it goes unanswered.
        const bool system = name == logindName;
        const QString script =
            QStringLiteral("import dbus, os, time\n"
                           "bus = dbus.bus.BusConnection(os.environ['%1'])\n"
                           "bus.request_name('%2')\n"
                           "time.sleep(3600)\n")
                .arg(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", name);
        services.push_back(std::make_unique<Service>(
            system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus(), name,
            QStringList{QStringLiteral("-c"), script}));
    }
    if (answering == logindName) {
        services.push_back(
            startMock(QDBusConnection::systemBus(), logindName, QStringLiteral("logind")));
    } else if (answering == gnomeName) {
        services.push_back(startMock(
            QDBusConnection::sessionBus(), gnomeName, templatePath("gnome_session_manager.py"),
            QStringLiteral("{\"delay\": %1}").arg(answerDelayMs / 1000.0)));
    }
    for (const auto& service : services)
        QVERIFY(service->waitUntilReady());
    if (answering == logindName) {
        QVERIFY(setLogindInhibitors(
            QStringLiteral("[('idle', 'vlc', 'video', 'block', 1000, 4000)]"), answerDelayMs));
    } else if (answering == gnomeName) {
        QVERIFY(gnomeInhibit(QStringLiteral("org.mozilla.firefox"), 8));
    }

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

QTEST_GUILESS_MAIN(DBusInhibitorSourceTest)
#include "DBusInhibitorSourceTest.moc"
