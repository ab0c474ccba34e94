#include "ui/MenuContent.h"

#include "support/StateFixture.h"
#include "ui/OnboardingView.h"
#include "ui/OnboardingWindowController.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace lullwick;

class MenuContentTest : public QObject {
    Q_OBJECT

    StateFixture m_f;
    AppState* m_state = nullptr;
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
        m_f.reset();
        m_state = &m_f.create();
        m_onboarding.emplace(*m_state, QString());
        m_menu.emplace(*m_state, *m_onboarding);
    }
    void cleanup() { m_menu.reset(), m_onboarding.reset(), m_f.reset(); }

    // Always in their place, after the schedule switch; the menu is changed in place, never
    // rebuilt.
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
        QVERIFY2(names(false).contains(" schedule " + shown + "- "), qPrintable(names(false)));
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
        QTest::newRow("micAccess") << "listen always medium" << "asked";
        QTest::newRow("setupAssistant") << "listen always medium" << "page 0";
        QTest::newRow("editHours") << "listen always medium" << "page 3";
        // clang-format on
    }
    void choosingAnItemWritesTheState() {
        const QStringList item = QString::fromLatin1(QTest::currentDataTag()).split(u' ');
        if (item.size() > 1) // refused
            m_f.fakes->loginItem.failures = {QStringLiteral("no"), QStringLiteral("no")};
        const QString status = action("status")->text();
        m_menu->menu()->popup(QPoint(0, 0));
        action(item[0])->trigger();
        QTEST(names(true), "checked");
        QStringList done = m_f.fakes->store.writes;
        if (action("status")->text() != status)
            done << action("status")->text().section(u' ', 0, 1); // the time follows the locale
        done << QStringList(m_f.fakes->loginItem.calls.size(), QStringLiteral("login item"))
             << QStringList(int(m_f.fakes->microphone.pending.size()), QStringLiteral("asked"));
        if (m_onboarding->window() && m_onboarding->window()->isVisible())
            done << QStringLiteral("page %1").arg(static_cast<int>(m_onboarding->view()->page()));
        QTEST(done.join(u' '), "done");
    }
};

QTEST_MAIN(MenuContentTest)
#include "MenuContentTest.moc"
