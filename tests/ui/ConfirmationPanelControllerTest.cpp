#include "ui/ConfirmationPanelController.h"

#include "support/FakeTimers.h"
#include "ui/ConfirmationView.h"
#include "ui/MascotPictures.h"
#include "ui/MascotView.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(lullwick::MascotPose)

class ConfirmationPanelControllerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_empty;
    MascotPictures m_pictures{m_empty.path()};
    FakeTimers m_timers;
    ConfirmationPanelController m_controller{m_pictures, m_timers};
    QStringList m_calls; // each action called, and whether its card was gone by then

    ConfirmationView* show(bool video) {
        auto record = [this](QString name) {
            return [this, name] { m_calls << name + (m_controller.isShowing() ? "" : " gone"); };
        };
        m_controller.show(video, record("sleep"), record("cancel"));
        return m_controller.view();
    }

private slots:
    void init() { m_calls.clear(); }

    void countsDownOneSecondAtATime_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("nineLeft");
        QTest::addColumn<MascotPose>("fiveLeft");
        QTest::addColumn<MascotPose>("fourLeft");
        QTest::newRow("normal") << false << "Going to sleep in 9s…" << MascotPose::sleepy
                                << MascotPose::asleep;
        QTest::newRow("video") << true << "A video is playing — ignoring in 9s unless you confirm."
                               << MascotPose::skeptical << MascotPose::skeptical;
    }
    void countsDownOneSecondAtATime() {
        QFETCH(bool, video);
        ConfirmationView* card = show(video);
        m_timers.advance(999ms);
        QCOMPARE(card->remaining(), 10);
        m_timers.advance(1ms);
        QTEST(card->message()->text(), "nineLeft");
        m_timers.advance(4s);
        QTEST(card->mascot()->pose(), "fiveLeft");
        QVERIFY(!card->mascot()->showZs());
        m_timers.advance(1s);
        QTEST(card->mascot()->pose(), "fourLeft");
        QCOMPARE(card->mascot()->showZs(), !video);
        m_timers.advance(3999ms);
        QVERIFY(m_calls.isEmpty());
        m_timers.advance(1ms);
        QCOMPARE(m_calls, QStringList{video ? "cancel gone" : "sleep gone"});
    }

    // press: a button's name, or a key; a click on Cancel and the whole count follow it.
    void theFirstDecisionIsTheOnlyOne_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Return, video") << true << "Return" << QStringList{"sleep gone"};
        QTest::newRow("Escape") << false << "Esc" << QStringList{"cancel gone"};
        QTest::newRow("Sleep Anyway") << true << "confirmButton" << QStringList{"sleep gone"};
        QTest::newRow("Cancel") << false << "cancelButton" << QStringList{"cancel gone"};
    }
    void theFirstDecisionIsTheOnlyOne() {
        QFETCH(bool, video);
        QFETCH(QString, press);
        ConfirmationView* card = show(video);
        if (auto* button = card->findChild<QPushButton*>(press))
            button->click();
        else
            QTest::keyClick(card, QKeySequence(press)[0].key());
        card->cancelButton()->click();
        m_timers.advance(10s);
        QTEST(m_calls, "calls");
    }

    void aNewCardOrCloseEndsTheOldOneWithoutAnAction() {
        show(false);
        m_timers.advance(3s);
        QCOMPARE(show(true)->remaining(), 10);
        m_timers.advance(10s);
        QCOMPARE(m_calls, QStringList{"cancel gone"});
        show(false);
        m_controller.close();
        m_controller.close();
        m_timers.advance(10s);
        QCOMPARE(m_calls.size(), 1);
    }
};

QTEST_MAIN(ConfirmationPanelControllerTest)
#include "ConfirmationPanelControllerTest.moc"
