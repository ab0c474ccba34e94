#include "DBusInhibitorSource.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
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

// Sends at once, bounded by its own timeout; an unconnected bus gives an already failed call.
QDBusPendingCall ask(const QDBusConnection& bus, std::chrono::milliseconds bound,
                     const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QVariantList& arguments = {}) {
    if (!bus.isConnected())
        return QDBusPendingCall::fromError(QDBusError(QDBusError::Disconnected, {}));
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Asking must not start a service that is not running.
    message.setAutoStartService(false);
    return bus.asyncCall(message, static_cast<int>(bound.count()));
}

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

// The GetAppId and GetFlags calls of one session-manager inhibitor.
using GnomeInhibitorCalls = std::pair<QDBusPendingCall, QDBusPendingCall>;

// The session manager lists inhibitor objects, whose app ids and flags take a second round:
// waits for the list, then asks every inhibitor at once, with a bound of their own.
std::optional<QList<GnomeInhibitorCalls>> askGnomeInhibitors(QDBusPendingCall& listCall,
                                                             const QDBusConnection& bus,
                                                             std::chrono::milliseconds bound) {
    const auto arguments = replyOf(listCall, QLatin1String("ao"));
    if (!arguments)
        return std::nullopt;
    QList<GnomeInhibitorCalls> calls;
    const auto paths = qdbus_cast<QList<QDBusObjectPath>>(arguments->at(0));
    for (const QDBusObjectPath& path : paths) {
        calls.append({ask(bus, bound, gnome::service, path.path(), gnome::inhibitor,
                          QStringLiteral("GetAppId")),
                      ask(bus, bound, gnome::service, path.path(), gnome::inhibitor,
                          QStringLiteral("GetFlags"))});
    }
    return calls;
}

// An inhibitor released between the list and the question about it.
bool isGone(const QDBusPendingCall& call) {
    const QDBusError::ErrorType error = call.error().type();
    return error == QDBusError::UnknownObject || error == QDBusError::UnknownMethod;
}

// Adds the session manager's inhibitors only when it answered about every one of them: a
// missing answer may be the very inhibitor of a playing video.
bool addGnomeInhibitors(std::optional<QList<GnomeInhibitorCalls>>& calls,
                        AssertionSnapshot& snapshot) {
    if (!calls)
        return false;
    AssertionSnapshot found;
    for (auto& [appIdCall, flagsCall] : *calls) {
        const auto appId = replyOf(appIdCall, QLatin1String("s"));
        const auto flags = replyOf(flagsCall, QLatin1String("u"));
        if (!appId || !flags) {
            if (isGone(appIdCall) || isGone(flagsCall))
                continue;
            return false;
        }
        const uint value = flags->at(0).toUInt();
        QVariantList records;
        if (value & gnome::idleFlag)
            records.append(record(idleDisplayType));
        if (value & gnome::suspendFlag)
            records.append(record(systemSleepType));
        found.append({appId->at(0).toString(), records});
    }
    snapshot.append(found);
    return true;
}

} // namespace

DBusInhibitorSource::DBusInhibitorSource(QDBusConnection systemBus, QDBusConnection sessionBus,
                                         std::chrono::milliseconds sourceTimeout)
    : m_systemBus(std::move(systemBus)), m_sessionBus(std::move(sessionBus)),
      m_sourceTimeout(sourceTimeout) {}

std::optional<AssertionSnapshot> DBusInhibitorSource::snapshot() {
    // Every service is asked at once and each call has its own bound, so the waits overlap:
    // with every service silent the whole check lasts one bound.
    const auto bound = m_sourceTimeout;
    QDBusPendingCall gnomeCall = ask(m_sessionBus, bound, gnome::service, gnome::path,
                                     gnome::manager, QStringLiteral("GetInhibitors"));
    QDBusPendingCall logindCall = ask(m_systemBus, bound, logind::service, logind::path,
                                      logind::manager, QStringLiteral("ListInhibitors"));
    QDBusPendingCall kdeActiveCall =
        ask(m_sessionBus, bound, kde::service, kde::path,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
            {kde::agent, QStringLiteral("ActiveInhibitions")});
    QDBusPendingCall kdeHasCall =
        ask(m_sessionBus, bound, kde::service, kde::path, kde::agent,
            QStringLiteral("HasInhibition"), {QVariant::fromValue(kde::changeScreenSettings)});
    // The session manager's second round goes out as soon as its list is in, before any wait
    // on the others.
    auto gnomeCalls = askGnomeInhibitors(gnomeCall, m_sessionBus, bound);

    AssertionSnapshot snapshot;
    bool answered = addLogindInhibitors(logindCall, snapshot);
    answered = addGnomeInhibitors(gnomeCalls, snapshot) || answered;
    answered = addPolicyAgentInhibitions(kdeActiveCall, kdeHasCall, snapshot) || answered;
    if (!answered)
        return std::nullopt;
    return snapshot;
}

} // namespace lullwick
