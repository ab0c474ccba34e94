#include "ui/MenuContent.h"

#include "support/FakeServices.h"
#include "ui/OnboardingView.h"
#include "ui/OnboardingWindowController.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace lullwick;

class MenuContentTest : public QObject {
    Q_OBJECT

    std::optional<FakeServices> m_fakes;
    std::optional<AppState> m_state;
    std::optional<OnboardingWindowController> m_onboarding;
    std::optional<MenuContent> m_menu;

    QAction* action(const QString& name) { return m_menu->menu()->findChild<QAction*>(name); }
    // The visible items ("-" a separator), or the checked ones.
    QString names(bool checked) {
        QStringList names;
        for (QAction* a : m_menu->menu()->actions())
            if (checked ? a->isChecked() : a->isVisible())
                names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names.join(u' ');
    }

private slots:
    void init() {
        m_fakes.emplace().store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        m_state.emplace(m_fakes->services(), m_fakes->views());
        m_onboarding.emplace(*m_state, QString());
        m_menu.emplace(*m_state, *m_onboarding);
    }
    void cleanup() { m_menu.reset(), m_onboarding.reset(), m_state.reset(), m_fakes.reset(); }

    // Always in their place, between the schedule switch and the second separator; the menu
    // is changed in place, never rebuilt.
    void conditionalItemsFollowTheState_data() {
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<MicStatus>("mic");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("plain") << false << MicStatus::authorized << "";
        QTest::newRow("scheduled") << true << MicStatus::authorized << "scheduleSummary editHours ";
        QTest::newRow("denied") << false << MicStatus::denied << "micAccess ";
        // clang-format on
    }
    void conditionalItemsFollowTheState() {
        QFETCH(bool, scheduled);
        QFETCH(MicStatus, mic);
        QFETCH(QString, shown);
        const QList<QAction*> before = m_menu->menu()->actions();
        m_state->setScheduleEnabled(scheduled);
        m_state->setMicStatus(mic);
        QCOMPARE(names(false),
                 "status - listen schedule " + shown +
                     "- confirmationTitle always whenVideoPlaying sensitivityTitle "
                     "low medium high - setupAssistant sleepNow launchAtLogin - quit");
        QCOMPARE(m_menu->menu()->actions(), before);
    }

    // What choosing the item did: the check marks and the status line that follow, also while
    // the menu is open, the settings written, the services asked, the assistant's page.
    void choosingAnItemWritesTheState_data() {
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("done");
        // clang-format off
        QTest::newRow("high") << "listen always high" << "sensitivity";
        QTest::newRow("low") << "listen always low" << "sensitivity";
        QTest::newRow("whenVideoPlaying") << "listen whenVideoPlaying medium" << "confirmationMode";
        QTest::newRow("listen") << "always medium" << "enabled Paused";
        QTest::newRow("schedule") << "listen schedule always medium" << "scheduleEnabled Off schedule";
        QTest::newRow("launchAtLogin") << "listen always medium launchAtLogin" << "login item";
        QTest::newRow("launchAtLogin refused") << "listen always medium" << "login item login item";
        QTest::newRow("sleepNow") << "listen always medium" << "good night";
        QTest::newRow("micAccess") << "listen always medium" << "asked";
        QTest::newRow("setupAssistant") << "listen always medium" << "page 0";
        QTest::newRow("editHours") << "listen always medium" << "page 3";
        // clang-format on
    }
    void choosingAnItemWritesTheState() {
        const QStringList item = QString::fromLatin1(QTest::currentDataTag()).split(u' ');
        if (item.size() > 1) // refused
            m_fakes->loginItem.failures = {QStringLiteral("no"), QStringLiteral("no")};
        const QString status = action("status")->text();
        m_menu->menu()->popup(QPoint(0, 0));
        action(item[0])->trigger();
        QTEST(names(true), "checked");
        QStringList done = m_fakes->store.writes;
        if (action("status")->text() != status)
            done << action("status")->text().section(u' ', 0, 1); // the time follows the locale
        done << QStringList(m_fakes->loginItem.calls.size(), QStringLiteral("login item"))
             << QStringList(m_fakes->goodNight.shows, QStringLiteral("good night"))
             << QStringList(int(m_fakes->microphone.pending.size()), QStringLiteral("asked"));
        if (m_onboarding->window() && m_onboarding->window()->isVisible())
            done << QStringLiteral("page %1").arg(m_onboarding->view()->page());
        QTEST(done.join(u' '), "done");
    }

    void quitEndsTheApplication() {
        QTimer::singleShot(0, action("quit"), &QAction::trigger);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); }); // only a guard
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(MenuContentTest)
#include "MenuContentTest.moc"
