#include "ui/LullwickApp.h"

#include "support/FakeServices.h"

#include <QSystemTrayIcon>
#include <QTest>

using namespace lullwick;

class LullwickAppTest : public QObject {
    Q_OBJECT

    FakeServices m_fakes;

private slots:
    void theIconFollowsDetectorRunning() {
        LullwickApp app(m_fakes.services());
        auto pixels = [&app] { return app.trayIcon().icon().pixmap(QSize(22, 22)).toImage(); };
        app.state().setDetectorRunning(false);
        const QImage moon = pixels();
        app.state().setDetectorRunning(true);
        QCOMPARE(app.iconName(), QStringLiteral("hands.clap"));
        QVERIFY(!pixels().isNull() && pixels() != moon);
        app.state().setDetectorRunning(false);
        QCOMPARE(pixels(), moon);
    }
};

QTEST_MAIN(LullwickAppTest)
#include "LullwickAppTest.moc"
