#include "ui/ConfirmationPanel.h"
#include "ui/FloatingPanel.h"
#include "ui/Mascot.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace lullwick;

class TestConfirmationPanel : public QObject {
    Q_OBJECT

    QTemporaryDir m_empty;
    std::unique_ptr<MascotPictures> m_pictures;
    std::unique_ptr<ConfirmationPanelController> m_controller;
    QStringList m_calls;
    bool m_panelGoneWhenCalled = false;

    void showPanel(bool video) {
        m_controller->show(
            video,
            [this] {
                m_calls << QStringLiteral("sleep");
                m_panelGoneWhenCalled = !m_controller->isShowing();
            },
            [this] {
                m_calls << QStringLiteral("cancel");
                m_panelGoneWhenCalled = !m_controller->isShowing();
            });
    }

private slots:
    void init() {
        m_pictures = std::make_unique<MascotPictures>(m_empty.path());
        m_controller = std::make_unique<ConfirmationPanelController>(*m_pictures);
        m_calls.clear();
        m_panelGoneWhenCalled = false;
    }
    void cleanup() { m_controller.reset(); }

    void normalModeCountsDownThenSleepsOnce() {
        showPanel(false);
        ConfirmationView* view = m_controller->view();
        QVERIFY(m_controller->isShowing());
        QCOMPARE(view->message()->text(), QStringLiteral("Going to sleep in 10s…"));
        QCOMPARE(view->confirmButton()->text(), QStringLiteral("Sleep Now"));
        QCOMPARE(view->cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(view->findChild<QLabel*>(QStringLiteral("title"))->text(),
                 QStringLiteral("Clap-clap detected"));
        QCOMPARE(view->progress()->maximum(), 10);
        QCOMPARE(view->progress()->value(), 10);
        QCOMPARE(view->progress()->palette().color(QPalette::Highlight), QColor(0x58, 0x56, 0xD6));

        for (int shown = 9; shown >= 1; --shown) {
            view->tick();
            QCOMPARE(view->message()->text(), QStringLiteral("Going to sleep in %1s…").arg(shown));
            QCOMPARE(view->progress()->value(), shown);
            QCOMPARE(view->mascot()->pose(), shown >= 5 ? MascotPose::sleepy : MascotPose::asleep);
            QCOMPARE(view->mascot()->showZs(), shown <= 4);
            QVERIFY(m_calls.isEmpty());
        }
        view->tick();
        QCOMPARE(m_calls, QStringList{QStringLiteral("sleep")});
        QVERIFY(m_panelGoneWhenCalled);
        view->tick(); // a tick after the action changes nothing
        QCOMPARE(m_calls.size(), 1);
    }

    void videoModeCancelsItselfAtZero() {
        showPanel(true);
        ConfirmationView* view = m_controller->view();
        QCOMPARE(view->message()->text(),
                 QStringLiteral("A video is playing — ignoring in 10s unless you confirm."));
        QCOMPARE(view->confirmButton()->text(), QStringLiteral("Sleep Anyway"));
        QCOMPARE(view->progress()->palette().color(QPalette::Highlight), QColor(0xFF, 0x95, 0x00));
        for (int i = 0; i < 9; ++i) {
            view->tick();
            QCOMPARE(view->mascot()->pose(), MascotPose::skeptical);
            QVERIFY(!view->mascot()->showZs());
        }
        QCOMPARE(view->message()->text(),
                 QStringLiteral("A video is playing — ignoring in 1s unless you confirm."));
        view->tick();
        QCOMPARE(m_calls, QStringList{QStringLiteral("cancel")});
        QVERIFY(m_panelGoneWhenCalled);
    }

    void keysAndButtonsDecideEarly_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("return, normal") << false << int(Qt::Key_Return) << QStringLiteral("sleep");
        QTest::newRow("enter, video") << true << int(Qt::Key_Enter) << QStringLiteral("sleep");
        QTest::newRow("escape, normal") << false << int(Qt::Key_Escape) << QStringLiteral("cancel");
        QTest::newRow("escape, video") << true << int(Qt::Key_Escape) << QStringLiteral("cancel");
    }
    void keysAndButtonsDecideEarly() {
        QFETCH(bool, video);
        QFETCH(int, key);
        QFETCH(QString, expected);
        showPanel(video);
        QTest::keyClick(m_controller->view(), Qt::Key(key));
        QCOMPARE(m_calls, QStringList{expected});
        QVERIFY(m_panelGoneWhenCalled);
    }

    void thePanelTakesTheKeyboard() {
        showPanel(false);
        FloatingPanel* panel = m_controller->panel();
        QVERIFY(!(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus));
        QVERIFY(panel->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_controller->view()));
    }

    void exactlyOneActionWhateverComesFirst() {
        showPanel(false);
        ConfirmationView* view = m_controller->view();
        QPushButton* cancel = view->cancelButton();
        QPushButton* confirm = view->confirmButton();
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::mouseClick(confirm, Qt::LeftButton);
        view->tick();
        QCOMPARE(m_calls, QStringList{QStringLiteral("cancel")});

        m_calls.clear();
        showPanel(false);
        view = m_controller->view();
        for (int i = 0; i < 9; ++i)
            view->tick();
        view->confirmButton()->click(); // "Sleep Now" just as the count reaches zero
        view->tick();
        QCOMPARE(m_calls, QStringList{QStringLiteral("sleep")});
    }

    void showReplacesAndCloseSilences() {
        showPanel(false);
        QPointer<ConfirmationView> first = m_controller->view();
        first->tick();
        first->tick();
        showPanel(true);
        QCOMPARE(m_controller->view()->remaining(), 10);
        QVERIFY(m_controller->view()->videoPlaying());
        QTRY_VERIFY(!first); // the old card is destroyed, its timer with it
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) {
                                   return w->objectName() == QLatin1String("confirmationPanel") &&
                                          w->isVisible();
                               }),
                 1);

        QPointer<ConfirmationView> second = m_controller->view();
        m_controller->close();
        QVERIFY(!m_controller->isShowing());
        QVERIFY(!second || !second->tickTimer()->isActive());
        QTRY_VERIFY(!second);
        m_controller->close(); // nothing to close: nothing happens
        QVERIFY(m_calls.isEmpty());
    }

    void theCountdownRunsOnARealOneSecondTimer() {
        showPanel(false);
        ConfirmationView* view = m_controller->view();
        QCOMPARE(view->tickTimer()->interval(), 1000);
        QVERIFY(view->tickTimer()->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(view->remaining(), 9, 3000);
    }

    void theCardIsPlacedInTheUpperHalfOfTheScreen() {
        showPanel(false);
        FloatingPanel* panel = m_controller->panel();
        const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize card = panel->cardSize();
        QCOMPARE(card.width(), 320);
        const QRect cardRect(
            panel->geometry().topLeft() +
                QPoint((panel->width() - card.width()) / 2, (panel->height() - card.height()) / 2),
            card);
        QVERIFY(std::abs(cardRect.center().x() - visible.center().x()) <= 1);
        const int bottomFromBelow = visible.bottom() + 1 - (cardRect.bottom() + 1);
        QVERIFY2(std::abs(bottomFromBelow - visible.height() * 55 / 100) <= 1,
                 qPrintable(QString::number(bottomFromBelow)));
    }
};

QTEST_MAIN(TestConfirmationPanel)
#include "ConfirmationPanelTest.moc"
