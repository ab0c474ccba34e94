#include "LullwickApp.h"

#include "ConfirmationPanelController.h"
#include "GoodNightPanelController.h"
#include "MascotPictures.h"
#include "MenuContent.h"
#include "OnboardingWindowController.h"
#include "TrayIconImage.h"
#include "app/DesktopNotifier.h"
#include "app/TrayHost.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <chrono>
#include <cstdio>

// The icons live in this static library; nothing references them by symbol, so they are
// registered by hand.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace lullwick {

LullwickApp::LullwickApp(AppServices services, const QString& pictures, QObject* parent)
    : QObject(parent), m_log(services.log),
      m_picturesFolder(pictures.isEmpty() ? MascotPictures::defaultFolder() : pictures),
      m_pictures(std::make_unique<MascotPictures>(m_picturesFolder)),
      m_confirmation(new ConfirmationPanelController(*m_pictures, services.timers, this)),
      m_goodNight(new GoodNightPanelController(*m_pictures, this)),
      m_state(new AppState(services, AppViews{*m_confirmation, *m_goodNight}, this)),
      m_onboarding(new OnboardingWindowController(*m_state, m_picturesFolder, this)),
      m_menu(new MenuContent(*m_state, *m_onboarding, this)) {
    initIconResources();
    const QPointer<AppState> state(m_state);
    m_onboarding->setOnClose([state] {
        if (state)
            state->onboardingClosed();
    });
    connect(m_state, &AppState::setupAssistantRequested, m_onboarding,
            &OnboardingWindowController::show);
}

LullwickApp::~LullwickApp() {
    // The views use the state object, the state object uses the cards, and the cards use
    // the pictures: go in that order.
    delete m_tray;
    delete m_menu;
    delete m_onboarding;
    delete m_state;
    delete m_goodNight;
    delete m_confirmation;
}

void LullwickApp::showTrayIconWhenReady(TrayHost& host, DesktopNotifier& notifier) {
    connect(&host, &TrayHost::ready, this, [this, &notifier](bool found) {
        if (!found) {
            m_log.write(QStringLiteral("Lullwick: no system tray after %1 s (no "
                                       "StatusNotifierWatcher, no X11 tray); listening goes on "
                                       "without the tray icon")
                            .arg(trayWaitLimit.count() / 1000));
            notifier.notify(tr("Lullwick has no tray icon"),
                            tr("This desktop shows no tray icons, so Lullwick's menu cannot "
                               "appear. On GNOME, install and enable the extension "
                               "“AppIndicator and KStatusNotifierItem Support”."));
        }
        // Made in any case: an X11 tray that turns up later still gets the icon.
        showTrayIcon();
    });
    host.waitForHost(trayWaitLimit);
}

void LullwickApp::showTrayIcon() {
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(this);
    m_tray->setToolTip(tr("Lullwick"));
    m_tray->setContextMenu(m_menu->menu());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A left click opens the menu too, as a menu-bar item would.
                if (reason == QSystemTrayIcon::Trigger)
                    m_menu->menu()->popup(QCursor::pos());
            });
    connect(m_state, &AppState::detectorRunningChanged, this, &LullwickApp::updateIcon);
    updateIcon();
    m_tray->show();
}

void LullwickApp::traceLatency() {
    connect(m_state, &AppState::doubleClapHeard, this, [](qint64 heardAt) {
        std::fprintf(stderr, "lullwick-trace double-clap %lld\n", static_cast<long long>(heardAt));
    });
    connect(m_goodNight, &GoodNightPanelController::shown, this, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        std::fprintf(stderr, "lullwick-trace good-night-shown %lld\n", static_cast<long long>(now));
    });
}

QString LullwickApp::iconName() const {
    return m_state->detectorRunning() ? QStringLiteral("hands.clap") : QStringLiteral("moon.zzz");
}

void LullwickApp::updateIcon() {
    if (!m_tray)
        return;
    const QString name = iconName();
    if (m_tray->property("iconName").toString() == name)
        return;
    m_tray->setIcon(TrayIconImage::forSymbol(name));
    m_tray->setProperty("iconName", name);
}

} // namespace lullwick
