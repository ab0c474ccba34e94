#include "LullwickApp.h"

#include "ConfirmationPanelController.h"
#include "GoodNightPanelController.h"
#include "MascotPictures.h"
#include "TrayIconImage.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
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
    : QObject(parent), m_pictures(std::make_unique<MascotPictures>(
                           pictures.isEmpty() ? MascotPictures::defaultFolder() : pictures)),
      m_confirmation(new ConfirmationPanelController(*m_pictures, services.timers, this)),
      m_goodNight(new GoodNightPanelController(*m_pictures, this)),
      m_state(new AppState(services, AppViews{*m_confirmation, *m_goodNight}, this)),
      m_menu(std::make_unique<QMenu>()), m_tray(new QSystemTrayIcon(this)) {
    initIconResources();
    QAction* quit = m_menu->addAction(tr("Quit Lullwick"));
    quit->setObjectName(QStringLiteral("quitAction"));
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit);

    m_tray->setToolTip(tr("Lullwick"));
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A left click opens the menu too, as a menu-bar item would.
                if (reason == QSystemTrayIcon::Trigger)
                    m_menu->popup(QCursor::pos());
            });
    connect(m_state, &AppState::detectorRunningChanged, this, &LullwickApp::updateIcon);
    updateIcon();
    m_tray->show();
}

LullwickApp::~LullwickApp() {
    // The state object uses the cards, and the cards use the pictures: go in that order.
    delete m_state;
    delete m_goodNight;
    delete m_confirmation;
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
    const QString name = iconName();
    if (m_tray->property("iconName").toString() == name)
        return;
    m_tray->setIcon(TrayIconImage::forSymbol(name));
    m_tray->setProperty("iconName", name);
}

} // namespace lullwick
