#include "ui/LullwickApp.h"

#include "support/FakeDesktopNotifier.h"
#include "support/FakeServices.h"
#include "support/FakeTrayHost.h"
#include "ui/MenuContent.h"
#include "ui/OnboardingWindowController.h"

#include <QSystemTrayIcon>
#include <QTest>

using namespace lullwick;

class LullwickAppTest : public QObject {
    Q_OBJECT

private slots:
    // Without a tray in time the icon is made all the same, for one that turns up later; its
    // picture follows whether the detector runs.
    void theTrayIconWaitsForATray() {
        for (bool found : {true, false}) {
            FakeServices fakes;
            FakeTrayHost host;
            FakeDesktopNotifier notifier;
            LullwickApp app(fakes.services());
            app.showTrayIconWhenReady(host, notifier);
            QVERIFY(host.waitedFor == LullwickApp::trayWaitLimit && !app.trayIcon());
            host.answer(found);
            QVERIFY(app.trayIcon() && app.trayIcon()->isVisible());
            QCOMPARE(app.trayIcon()->contextMenu(), app.menu().menu());
            QCOMPARE(fakes.log.lines.size() + notifier.shown.size(), found ? 0 : 2);
            const auto pixels = [&] { return app.trayIcon()->icon().pixmap(22, 22).toImage(); };
            const QImage moon = pixels();
            app.state().setDetectorRunning(!app.state().detectorRunning());
            QVERIFY(!moon.isNull() && !pixels().isNull() && pixels() != moon);
            app.state().setDetectorRunning(!app.state().detectorRunning());
            QCOMPARE(pixels(), moon);
        }
    }

    void closingTheSetupAssistantCompletesTheSetup() {
        FakeServices fakes;
        LullwickApp app(fakes.services());
        fakes.timers.advance(AppState::setupAssistantDelay);
        QVERIFY(app.onboarding().window()->isVisible());
        app.onboarding().window()->close();
        QTRY_VERIFY(app.state().hasCompletedOnboarding());
    }
};

QTEST_MAIN(LullwickAppTest)
#include "LullwickAppTest.moc"
