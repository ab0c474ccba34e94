#include "MenuContent.h"

#include "OnboardingWindowController.h"
#include "app/AppState.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

namespace lullwick {

MenuContent::MenuContent(AppState& state, OnboardingWindowController& onboarding, QObject* parent)
    : QObject(parent), m_state(state), m_onboarding(onboarding), m_menu(std::make_unique<QMenu>()) {
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    m_menu->setToolTipsVisible(false);

    m_status = addAction(QStringLiteral("status"), QString());
    m_status->setEnabled(false); // inert text, not a command
    m_menu->addSeparator();
    m_listen = addCheckAction(QStringLiteral("listen"), tr("Listen for Double Clap"));
    m_schedule = addCheckAction(QStringLiteral("schedule"), tr("Only During Scheduled Hours"));
    m_scheduleSummary = addAction(QStringLiteral("scheduleSummary"), QString());
    m_scheduleSummary->setEnabled(false);
    m_editHours = addAction(QStringLiteral("editHours"), tr("Edit Listening Hours…"));
    m_micAccess = addAction(QStringLiteral("micAccess"), tr("Allow Microphone Access…"));
    m_menu->addSeparator();

    addTitle(QStringLiteral("confirmationTitle"), tr("Confirmation"));
    auto* confirmation = new QActionGroup(this);
    m_always = addChoice(confirmation, QStringLiteral("always"), tr("Always Ask Before Sleeping"));
    m_whenVideo = addChoice(confirmation, QStringLiteral("whenVideoPlaying"),
                            tr("Ask Only While a Video Is Playing"));
    addTitle(QStringLiteral("sensitivityTitle"), tr("Sensitivity"));
    auto* sensitivity = new QActionGroup(this);
    m_low = addChoice(sensitivity, QStringLiteral("low"), tr("Low"));
    m_medium = addChoice(sensitivity, QStringLiteral("medium"), tr("Medium"));
    m_high = addChoice(sensitivity, QStringLiteral("high"), tr("High"));
    m_menu->addSeparator();

    QAction* setup = addAction(QStringLiteral("setupAssistant"), tr("Setup Assistant…"));
    QAction* sleep = addAction(QStringLiteral("sleepNow"), tr("Sleep Now"));
    m_launchAtLogin = addCheckAction(QStringLiteral("launchAtLogin"), tr("Start at Login"));
    m_menu->addSeparator();
    QAction* quit = addAction(QStringLiteral("quit"), tr("Quit Lullwick"));

    // Qt flips a check mark before it reports the click; the assignment's notification then
    // sets it to what the state really holds (a refused login item flips it back).
    connect(m_listen, &QAction::triggered, this, [this](bool on) { m_state.setIsEnabled(on); });
    connect(m_schedule, &QAction::triggered, this,
            [this](bool on) { m_state.setScheduleEnabled(on); });
    connect(m_launchAtLogin, &QAction::triggered, this,
            [this](bool on) { m_state.setLaunchAtLogin(on); });
    connect(m_editHours, &QAction::triggered, this,
            [this] { m_onboarding.show(SetupPage::listeningHours); });
    connect(m_micAccess, &QAction::triggered, this, [this] { m_state.requestMicAccess(); });
    connect(m_always, &QAction::triggered, this,
            [this] { m_state.setConfirmationMode(ConfirmationMode::always); });
    connect(m_whenVideo, &QAction::triggered, this,
            [this] { m_state.setConfirmationMode(ConfirmationMode::whenVideoPlaying); });
    connect(m_low, &QAction::triggered, this, [this] { m_state.setSensitivity(Sensitivity::low); });
    connect(m_medium, &QAction::triggered, this,
            [this] { m_state.setSensitivity(Sensitivity::medium); });
    connect(m_high, &QAction::triggered, this,
            [this] { m_state.setSensitivity(Sensitivity::high); });
    connect(setup, &QAction::triggered, this, [this] { m_onboarding.show(SetupPage::welcome); });
    connect(sleep, &QAction::triggered, this, [this] { m_state.sleepNow(); });
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    for (auto changed :
         {&AppState::isEnabledChanged, &AppState::confirmationModeChanged,
          &AppState::sensitivityChanged, &AppState::launchAtLoginChanged,
          &AppState::scheduleEnabledChanged, &AppState::scheduleWindowsChanged,
          &AppState::micStatusChanged, &AppState::detectorRunningChanged,
          &AppState::hasCompletedOnboardingChanged, &AppState::isClapTestActiveChanged,
          &AppState::testClapCountChanged, &AppState::testDoubleClapCountChanged})
        connect(&m_state, changed, this, &MenuContent::update);
    // Only a refresh for menus drawn by Qt itself (the status line names a time that may
    // have passed); exported menus do not deliver it reliably, and need not.
    connect(m_menu.get(), &QMenu::aboutToShow, this, &MenuContent::update);
    update();
}

MenuContent::~MenuContent() = default;

void MenuContent::update() {
    m_status->setText(m_state.statusLine());
    m_listen->setChecked(m_state.isEnabled());
    m_schedule->setChecked(m_state.scheduleEnabled());
    const bool scheduled = m_state.scheduleEnabled();
    m_scheduleSummary->setText(scheduled ? m_state.scheduleWindowDescription() : QString());
    m_scheduleSummary->setVisible(scheduled);
    m_editHours->setVisible(scheduled);
    m_micAccess->setVisible(m_state.micDenied());
    m_always->setChecked(m_state.confirmationMode() == ConfirmationMode::always);
    m_whenVideo->setChecked(m_state.confirmationMode() == ConfirmationMode::whenVideoPlaying);
    m_low->setChecked(m_state.sensitivity() == Sensitivity::low);
    m_medium->setChecked(m_state.sensitivity() == Sensitivity::medium);
    m_high->setChecked(m_state.sensitivity() == Sensitivity::high);
    m_launchAtLogin->setChecked(m_state.launchAtLogin());
}

QAction* MenuContent::addAction(const QString& name, const QString& text) {
    QAction* action = m_menu->addAction(text);
    action->setObjectName(name);
    return action;
}

QAction* MenuContent::addCheckAction(const QString& name, const QString& text) {
    QAction* action = addAction(name, text);
    action->setCheckable(true);
    return action;
}

QAction* MenuContent::addTitle(const QString& name, const QString& text) {
    QAction* action = addAction(name, text);
    action->setEnabled(false);
    return action;
}

QAction* MenuContent::addChoice(QActionGroup* group, const QString& name, const QString& text) {
    QAction* action = addCheckAction(name, text);
    group->addAction(action);
    group->setExclusive(true);
    return action;
}

} // namespace lullwick
