#include "ui/LullwickApp.h"

#include "support/FakeDesktopNotifier.h"
#include "support/FakeServices.h"
#include "support/FakeTrayHost.h"
#include "ui/MenuContent.h"
#include "ui/OnboardingWindowController.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

using namespace lullwick;

class LullwickAppTest : public QObject {
    Q_OBJECT

    FakeServices m_fakes;

private slots:
    void theIconFollowsDetectorRunning() {
        LullwickApp app(m_fakes.services());
        app.showTrayIcon();
        auto pixels = [&app] { return app.trayIcon()->icon().pixmap(QSize(22, 22)).toImage(); };
        app.state().setDetectorRunning(false);
        const QImage moon = pixels();
        app.state().setDetectorRunning(true);
        QCOMPARE(app.iconName(), QStringLiteral("hands.clap"));
        QVERIFY(!pixels().isNull() && pixels() != moon);
        app.state().setDetectorRunning(false);
        QCOMPARE(pixels(), moon);
    }

    void theTrayIconWaitsForATray_data() {
        QTest::addColumn<bool>("found");
        QTest::newRow("tray found") << true;
        QTest::newRow("no tray in time") << false;
    }

    void theTrayIconWaitsForATray() {
        QFETCH(bool, found);
        FakeTrayHost host;
        FakeDesktopNotifier notifier;
        LullwickApp app(m_fakes.services());
        const qsizetype linesBefore = m_fakes.log.lines.size();
        app.showTrayIconWhenReady(host, notifier);
        QCOMPARE(host.waitedFor, LullwickApp::trayWaitLimit);
        QVERIFY(!app.trayIcon());
        host.answer(found);
        QVERIFY(app.trayIcon() && app.trayIcon()->isVisible());
        QCOMPARE(app.trayIcon()->contextMenu(), app.menu().menu());
        QCOMPARE(m_fakes.log.lines.size() - linesBefore, found ? 0 : 1);
        QCOMPARE(notifier.shown.size(), found ? 0 : 1);
        if (!found)
            QVERIFY(notifier.shown.front().contains(QStringLiteral("AppIndicator")));
    }

    void closingTheSetupAssistantCompletesTheSetup() {
        FakeServices fakes;
        LullwickApp app(fakes.services());
        QVERIFY(!app.onboarding().window());
        fakes.timers.advance(AppState::setupAssistantDelay);
        QWidget* window = app.onboarding().window();
        QVERIFY(window && window->isVisible());
        window->close();
        QTRY_VERIFY(app.state().hasCompletedOnboarding());
        QCOMPARE(fakes.store.values.value(QStringLiteral("hasCompletedOnboarding")),
                 QVariant(true));
    }
};

QTEST_MAIN(LullwickAppTest)
#include "LullwickAppTest.moc"
