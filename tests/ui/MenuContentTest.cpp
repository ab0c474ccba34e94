#include "ui/MenuContent.h"

#include "support/FakeServices.h"
#include "ui/OnboardingView.h"
#include "ui/OnboardingWindowController.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace lullwick;

class TestMenuContent : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<OnboardingWindowController> m_onboarding;
    std::unique_ptr<MenuContent> m_menu;

    QAction* action(const char* name) {
        QAction* found = m_menu->menu()->findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }

    QStringList visibleNames() {
        QStringList names;
        for (QAction* a : m_menu->menu()->actions())
            if (a->isVisible())
                names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names;
    }

private slots:
    void init() {
        m_fakes = std::make_unique<FakeServices>();
        m_fakes->store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        m_state = std::make_unique<AppState>(m_fakes->services(), m_fakes->views());
        m_onboarding = std::make_unique<OnboardingWindowController>(*m_state, QString());
        m_menu = std::make_unique<MenuContent>(*m_state, *m_onboarding);
    }

    void cleanup() {
        m_menu.reset();
        m_onboarding.reset();
        m_state.reset();
        m_fakes.reset();
    }

    void conditionalItemsFollowTheState_data() {
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<int>("micStatus");
        QTest::addColumn<QStringList>("shown");
        const QStringList summary{"scheduleSummary", "editHours"};
        QTest::newRow("plain") << false << 3 << QStringList{};
        QTest::newRow("scheduled") << true << 3 << summary;
        QTest::newRow("denied") << false << 2 << QStringList{"micAccess"};
        QTest::newRow("restricted") << false << 1 << QStringList{"micAccess"};
        QTest::newRow("not asked") << false << 0 << QStringList{};
        QTest::newRow("both") << true << 2 << summary + QStringList{"micAccess"};
    }

    void conditionalItemsFollowTheState() {
        QFETCH(bool, scheduled);
        QFETCH(int, micStatus);
        QFETCH(QStringList, shown);
        const QList<QAction*> before = m_menu->menu()->actions();
        m_state->setScheduleEnabled(scheduled);
        m_state->setMicStatus(static_cast<MicStatus>(micStatus));
        // Always in their place, between the schedule switch and the second separator.
        QStringList expected{"status", "-", "listen", "schedule"};
        expected << shown
                 << QStringList{"-",
                                "confirmationTitle",
                                "always",
                                "whenVideoPlaying",
                                "sensitivityTitle",
                                "low",
                                "medium",
                                "high",
                                "-",
                                "setupAssistant",
                                "sleepNow",
                                "launchAtLogin",
                                "-",
                                "quit"};
        QCOMPARE(visibleNames(), expected);
        QCOMPARE(m_menu->menu()->actions(), before); // changed in place, never rebuilt
    }

    void checkMarksAndStatusFollowEveryAssignment() {
        QMenu* menu = m_menu->menu();
        menu->popup(QPoint(0, 0)); // also while it is open
        m_state->setIsEnabled(false);
        QVERIFY(!action("listen")->isChecked());
        QCOMPARE(action("status")->text(), QStringLiteral("Paused"));
        m_state->setConfirmationMode(ConfirmationMode::whenVideoPlaying);
        QVERIFY(action("whenVideoPlaying")->isChecked());
        QVERIFY(!action("always")->isChecked());
        m_state->setSensitivity(Sensitivity::low);
        QVERIFY(action("low")->isChecked());
        QVERIFY(!action("medium")->isChecked());
        m_state->setLaunchAtLogin(true);
        QVERIFY(action("launchAtLogin")->isChecked());
        menu->hide();
    }

    void choosingAnItemWritesTheState() {
        action("high")->trigger();
        QCOMPARE(m_state->sensitivity(), Sensitivity::high);
        QCOMPARE(m_fakes->store.values.value("sensitivity"), QVariant(QStringLiteral("high")));
        action("whenVideoPlaying")->trigger();
        QCOMPARE(m_state->confirmationMode(), ConfirmationMode::whenVideoPlaying);
        action("listen")->trigger();
        QVERIFY(!m_state->isEnabled());
        QVERIFY(!m_fakes->audioInput.isRunning());
        action("schedule")->trigger();
        QVERIFY(m_state->scheduleEnabled());
        action("launchAtLogin")->trigger();
        QCOMPARE(m_fakes->loginItem.calls, QList<bool>{true});
        action("sleepNow")->trigger();
        QCOMPARE(m_fakes->goodNight.shows, 1);
    }

    void aRefusedLoginItemTakesItsCheckMarkBack() {
        m_fakes->loginItem.failures = {QStringLiteral("no"), QStringLiteral("no")};
        action("launchAtLogin")->trigger();
        QVERIFY(!m_state->launchAtLogin());
        QVERIFY(!action("launchAtLogin")->isChecked());
    }

    void allowMicrophoneAccessAsksAgainAndDisappearsOnceGranted() {
        m_fakes->microphone.current = MicStatus::denied;
        m_state->refreshMicStatus();
        QVERIFY(action("micAccess")->isVisible());
        action("micAccess")->trigger();
        QCOMPARE(m_fakes->microphone.pending.size(), 1);
        m_fakes->microphone.answer(true);
        QTRY_VERIFY(!action("micAccess")->isVisible());
        QVERIFY(m_fakes->audioInput.isRunning());
    }

    void theAssistantOpensAtItsFirstPageOrAtTheListeningHours() {
        action("editHours")->trigger();
        QVERIFY(m_onboarding->window()->isVisible());
        QCOMPARE(m_onboarding->view()->page(), 3);
        action("setupAssistant")->trigger();
        QCOMPARE(m_onboarding->view()->page(), 0);
    }

    void quitEndsTheApplication() {
        QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, action("quit"), &QAction::trigger);
        // Only a guard: the quit comes at once.
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(quitting.size(), 1);
    }
};

QTEST_MAIN(TestMenuContent)
#include "MenuContentTest.moc"
