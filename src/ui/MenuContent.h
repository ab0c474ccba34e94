#pragma once

#include <QObject>
#include <memory>

class QAction;
class QActionGroup;
class QMenu;

namespace lullwick {

class AppState;
class OnboardingWindowController;

// The tray icon's menu. Its actions are made once and updated in place whenever the state
// changes, also while the menu is open: desktops that show the menu over D-Bus keep their
// own copy of it and follow changes of existing items far better than a rebuilt menu.
// Choice groups are checkable actions under a disabled title action, since section titles
// and submenus are lost or mangled over D-Bus.
class MenuContent : public QObject {
    Q_OBJECT

public:
    MenuContent(AppState& state, OnboardingWindowController& onboarding, QObject* parent = nullptr);
    ~MenuContent() override;

    QMenu* menu() const { return m_menu.get(); }

    // Brings every text, check mark and visibility in line with the state.
    void update();

private:
    QAction* addAction(const QString& name, const QString& text);
    QAction* addCheckAction(const QString& name, const QString& text);
    QAction* addTitle(const QString& name, const QString& text);
    QAction* addChoice(QActionGroup* group, const QString& name, const QString& text);

    AppState& m_state;
    OnboardingWindowController& m_onboarding;
    std::unique_ptr<QMenu> m_menu; // a menu without a parent widget is ours to delete
    QAction* m_status;
    QAction* m_listen;
    QAction* m_schedule;
    QAction* m_scheduleSummary;
    QAction* m_editHours;
    QAction* m_micAccess;
    QAction* m_always;
    QAction* m_whenVideo;
    QAction* m_low;
    QAction* m_medium;
    QAction* m_high;
    QAction* m_launchAtLogin;
};

} // namespace lullwick
