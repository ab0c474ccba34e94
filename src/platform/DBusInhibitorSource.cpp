#include "DBusInhibitorSource.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QVariantMap>

namespace lullwick {
namespace {

const QString idleDisplayType = QStringLiteral("PreventUserIdleDisplaySleep");
const QString systemSleepType = QStringLiteral("PreventSystemSleep");

namespace logind {
const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace logind

namespace gnome {
const QString service = QStringLiteral("org.gnome.SessionManager");
const QString path = QStringLiteral("/org/gnome/SessionManager");
const QString manager = QStringLiteral("org.gnome.SessionManager");
const QString inhibitor = QStringLiteral("org.gnome.SessionManager.Inhibitor");
constexpr uint suspendFlag = 4;
constexpr uint idleFlag = 8;
} // namespace gnome

namespace kde {
const QString service = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");
const QString path = QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent");
const QString agent = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");
// The policy agent's ChangeScreenSettings: dimming, screen off and locking on idle.
constexpr uint changeScreenSettings = 4;
} // namespace kde

QVariantMap record(const QString& type) {
    return {{QStringLiteral("AssertType"), type}};
}

// Records for a colon-separated "what" of logind and the policy agent ("sleep:idle").
QVariantList recordsForWhat(const QString& what) {
    QVariantList records;
    for (const QString& part : what.split(u':')) {
        if (part == QLatin1String("idle"))
            records.append(record(idleDisplayType));
        else if (part == QLatin1String("sleep"))
            records.append(record(systemSleepType));
    }
    return records;
}

class Caller {
public:
    Caller(const QDBusConnection& bus, QDeadlineTimer deadline)
        : m_bus(bus), m_deadline(deadline) {}

    // Sends at once; an unconnected bus or a spent deadline gives an already failed call.
    QDBusPendingCall send(const QString& service, const QString& path, const QString& interface,
                          const QString& method, const QVariantList& arguments = {}) const {
        const qint64 remaining = m_deadline.remainingTime();
        if (!m_bus.isConnected() || remaining <= 0)
            return QDBusPendingCall::fromError(QDBusError(QDBusError::Disconnected, {}));
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        // Asking must not start a service that is not running.
        message.setAutoStartService(false);
        return m_bus.asyncCall(message, static_cast<int>(remaining));
    }

private:
    QDBusConnection m_bus;
    QDeadlineTimer m_deadline;
};

// The reply's arguments when it is a reply of exactly this signature; waits for it first.
std::optional<QVariantList> replyOf(QDBusPendingCall& call, QLatin1String signature) {
    call.waitForFinished();
    const QDBusMessage reply = call.reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != signature)
        return std::nullopt;
    return reply.arguments();
}

// logind's list: what, who, why, mode, uid, pid.
bool addLogindInhibitors(QDBusPendingCall& call, AssertionSnapshot& snapshot) {
    const auto arguments = replyOf(call, QLatin1String("a(ssssuu)"));
    if (!arguments)
        return false;
    const auto list = arguments->at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        snapshot.append({QVariant::fromValue(pid), recordsForWhat(what)});
    }
    list.endArray();
    return true;
}

bool addPolicyAgentInhibitions(QDBusPendingCall& activeCall, QDBusPendingCall& hasCall,
                               AssertionSnapshot& snapshot) {
    // Plasma 6 lists every active inhibition with its holder (what, who, why, mode, flags);
    // older agents only say whether the screen settings are inhibited at all.
    if (const auto arguments = replyOf(activeCall, QLatin1String("v"))) {
        const QVariant value = arguments->at(0).value<QDBusVariant>().variant();
        if (value.userType() == qMetaTypeId<QDBusArgument>()) {
            const auto list = value.value<QDBusArgument>();
            if (list.currentSignature() == QLatin1String("a(ssssu)")) {
                list.beginArray();
                while (!list.atEnd()) {
                    QString what, who, why, mode;
                    uint flags = 0;
                    list.beginStructure();
                    list >> what >> who >> why >> mode >> flags;
                    list.endStructure();
                    snapshot.append({who, recordsForWhat(what)});
                }
                list.endArray();
                return true;
            }
        }
    }
    const auto arguments = replyOf(hasCall, QLatin1String("b"));
    if (!arguments)
        return false;
    if (arguments->at(0).toBool())
        snapshot.append({kde::service, QVariantList{record(idleDisplayType)}});
    return true;
}

// The session manager lists inhibitor objects; their app ids and flags take a second round.
class GnomeQuery {
public:
    explicit GnomeQuery(const Caller& caller)
        : m_caller(caller), m_list(caller.send(gnome::service, gnome::path, gnome::manager,
                                               QStringLiteral("GetInhibitors"))) {}

    // Waits for the list and asks every inhibitor at once, within what is left of the time.
    void askInhibitors() {
        const auto arguments = replyOf(m_list, QLatin1String("ao"));
        if (!arguments)
            return;
        m_listed = true;
        const auto paths = qdbus_cast<QList<QDBusObjectPath>>(arguments->at(0));
        for (const QDBusObjectPath& path : paths) {
            m_inhibitors.append({m_caller.send(gnome::service, path.path(), gnome::inhibitor,
                                               QStringLiteral("GetAppId")),
                                 m_caller.send(gnome::service, path.path(), gnome::inhibitor,
                                               QStringLiteral("GetFlags"))});
        }
    }

    bool addInhibitors(AssertionSnapshot& snapshot) {
        if (!m_listed)
            return false;
        for (auto& [appIdCall, flagsCall] : m_inhibitors) {
            const auto appId = replyOf(appIdCall, QLatin1String("s"));
            const auto flags = replyOf(flagsCall, QLatin1String("u"));
            if (!appId || !flags)
                continue;
            const uint value = flags->at(0).toUInt();
            QVariantList records;
            if (value & gnome::idleFlag)
                records.append(record(idleDisplayType));
            if (value & gnome::suspendFlag)
                records.append(record(systemSleepType));
            snapshot.append({appId->at(0).toString(), records});
        }
        return true;
    }

private:
    Caller m_caller;
    QDBusPendingCall m_list;
    bool m_listed = false;
    QList<std::pair<QDBusPendingCall, QDBusPendingCall>> m_inhibitors;
};

} // namespace

DBusInhibitorSource::DBusInhibitorSource(QDBusConnection systemBus, QDBusConnection sessionBus,
                                         std::chrono::milliseconds sourceTimeout)
    : m_systemBus(std::move(systemBus)), m_sessionBus(std::move(sessionBus)),
      m_sourceTimeout(sourceTimeout) {}

std::optional<AssertionSnapshot> DBusInhibitorSource::snapshot() {
    // The sources are asked together and share one deadline, so the whole call lasts about
    // one source timeout, however many of them hang.
    const QDeadlineTimer deadline(m_sourceTimeout);
    const Caller system(m_systemBus, deadline);
    const Caller session(m_sessionBus, deadline);

    GnomeQuery gnomeQuery(session);
    QDBusPendingCall logindCall = system.send(logind::service, logind::path, logind::manager,
                                              QStringLiteral("ListInhibitors"));
    QDBusPendingCall kdeActiveCall =
        session.send(kde::service, kde::path, QStringLiteral("org.freedesktop.DBus.Properties"),
                     QStringLiteral("Get"), {kde::agent, QStringLiteral("ActiveInhibitions")});
    QDBusPendingCall kdeHasCall =
        session.send(kde::service, kde::path, kde::agent, QStringLiteral("HasInhibition"),
                     {QVariant::fromValue(kde::changeScreenSettings)});
    // Its second round goes out first, before any wait on the others can eat into its time.
    gnomeQuery.askInhibitors();

    AssertionSnapshot snapshot;
    bool answered = addLogindInhibitors(logindCall, snapshot);
    answered = gnomeQuery.addInhibitors(snapshot) || answered;
    answered = addPolicyAgentInhibitions(kdeActiveCall, kdeHasCall, snapshot) || answered;
    if (!answered)
        return std::nullopt;
    return snapshot;
}

} // namespace lullwick
