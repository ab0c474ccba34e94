#include "TrayHostWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace lullwick {

TrayHostWatcher::TrayHostWatcher(QDBusConnection session, Timers& timers, QObject* parent)
    : TrayHost(parent), m_session(std::move(session)), m_timers(timers) {}

TrayHostWatcher::~TrayHostWatcher() {
    if (m_x11)
        xcb_disconnect(m_x11);
}

void TrayHostWatcher::waitForHost(std::chrono::milliseconds limit) {
    if (m_session.isConnected()) {
        const QString service = QLatin1String(watcherService);
        auto* watcher = new QDBusServiceWatcher(service, m_session,
                                                QDBusServiceWatcher::WatchForRegistration, this);
        connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { finish(true); });
        auto* call = new QDBusPendingCallWatcher(
            m_session.interface()->asyncCall(QStringLiteral("NameHasOwner"), service), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
            call->deleteLater();
            const QDBusPendingReply<bool> reply = *call;
            if (reply.isValid() && reply.value())
                finish(true);
        });
    }

    m_x11 = xcb_connect(nullptr, &m_screen);
    if (xcb_connection_has_error(m_x11)) {
        xcb_disconnect(m_x11);
        m_x11 = nullptr;
    } else if (x11TrayOwned()) {
        // Still after the caller has connected to ready.
        QMetaObject::invokeMethod(
            this, [this] { finish(true); }, Qt::QueuedConnection);
    } else {
        m_poll = m_timers.create(Timers::Mode::repeating, this);
        connect(m_poll, &Timer::timeout, this, [this] {
            if (x11TrayOwned())
                finish(true);
        });
        m_poll->start(x11Poll);
    }
    m_timers.singleShot(limit, this, [this] { finish(false); });
}

bool TrayHostWatcher::x11TrayOwned() {
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(
            m_x11, xcb_intern_atom(m_x11, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &free);
    if (!atom)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> owner(
        xcb_get_selection_owner_reply(m_x11, xcb_get_selection_owner(m_x11, atom->atom), nullptr),
        &free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void TrayHostWatcher::finish(bool found) {
    if (m_done)
        return;
    m_done = true;
    if (m_poll)
        m_poll->stop();
    emit ready(found);
}

} // namespace lullwick
