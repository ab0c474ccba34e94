#include "ui/LullwickApp.h"

#include "support/FakeServices.h"
#include "support/FakeTimers.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

using namespace lullwick;

class LullwickAppTest : public QObject {
    Q_OBJECT

    FakeServices m_fakes;
    FakeTimers m_timers;

private slots:
    void theIconFollowsDetectorRunning() {
        LullwickApp app(m_fakes.services(), m_timers);
        auto pixels = [&app] { return app.trayIcon().icon().pixmap(QSize(22, 22)).toImage(); };
        QVERIFY(app.trayIcon().isVisible());
        app.state().setDetectorRunning(false);
        QCOMPARE(app.iconName(), QStringLiteral("moon.zzz"));
        const QImage moon = pixels();
        app.state().setDetectorRunning(true);
        QCOMPARE(app.iconName(), QStringLiteral("hands.clap"));
        QVERIFY(!pixels().isNull() && pixels() != moon);
        app.state().setDetectorRunning(false);
        QCOMPARE(pixels(), moon);
    }

    void quitEndsTheApplication() {
        LullwickApp app(m_fakes.services(), m_timers);
        auto* quit = app.trayIcon().contextMenu()->findChild<QAction*>("quitAction");
        QMetaObject::invokeMethod(quit, &QAction::trigger, Qt::QueuedConnection);
        QCOMPARE(QApplication::exec(), 0); // returns only when something quits
    }
};

QTEST_MAIN(LullwickAppTest)
#include "LullwickAppTest.moc"
