#include "ui/ConfirmationPanelController.h"

#include "support/FakeTimers.h"
#include "support/TextContrast.h"
#include "ui/ConfirmationView.h"
#include "ui/FloatingPanel.h"
#include "ui/MascotPictures.h"
#include "ui/MascotView.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(lullwick::MascotPose)

namespace {

QPalette darkPalette() {
    QPalette dark;
    for (auto [role, color] : {std::pair{QPalette::Window, "#2a2e32"},
                               {QPalette::WindowText, "#fcfcfc"},
                               {QPalette::Button, "#31363b"},
                               {QPalette::ButtonText, "#fcfcfc"},
                               {QPalette::Base, "#1b1e20"},
                               {QPalette::Text, "#fcfcfc"},
                               {QPalette::Highlight, "#3daee9"},
                               {QPalette::HighlightedText, "#fcfcfc"}})
        dark.setColor(role, QColor(color));
    return dark;
}

} // namespace

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

    // Over the darkest desktop for a light card and the lightest for a dark one.
    void everyTextIsLegibleInLightAndDark_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QColor>("desktop");
        QTest::addColumn<bool>("video");
        const QPalette light = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
        QTest::newRow("light") << light << QColor(Qt::black) << false;
        QTest::newRow("light, video") << light << QColor(Qt::black) << true;
        QTest::newRow("dark") << darkPalette() << QColor(Qt::white) << false;
        QTest::newRow("dark, video") << darkPalette() << QColor(Qt::white) << true;
    }
    void everyTextIsLegibleInLightAndDark() {
        QFETCH(QPalette, palette);
        QFETCH(QColor, desktop);
        QFETCH(bool, video);
        QApplication::setPalette(palette);
        ConfirmationView* card = show(video);
        FloatingPanel* panel = m_controller.panel();
        QImage image(panel->size(), QImage::Format_RGB32);
        image.fill(desktop);
        panel->render(&image, {}, {}, QWidget::DrawChildren);
        const QList<std::pair<QWidget*, int>> texts{{card->findChild<QLabel*>("title"), 0},
                                                    {card->message(), 0},
                                                    {card->cancelButton(), 4},
                                                    {card->confirmButton(), 4}};
        for (auto [widget, frame] : texts) {
            const QRect area(widget->mapTo(panel, QPoint(frame, frame)),
                             widget->size() - QSize(2 * frame, 2 * frame));
            const qreal ratio = textContrast(image, area);
            QVERIFY2(ratio >= 4.5,
                     qPrintable(widget->objectName() + ": " + QString::number(ratio)));
        }
        // The confirm button wears the desktop's accent, not a colour of its own.
        const QColor face = image.pixelColor(card->confirmButton()->mapTo(panel, QPoint(6, 6)));
        QVERIFY(qAbs(face.hslHue() - palette.color(QPalette::Highlight).hslHue()) <= 8);
        QApplication::setPalette(QPalette());
    }

    void buttonsKeepTheirWidthCentredTenApart() {
        ConfirmationView* card = show(true);
        QPushButton *cancel = card->cancelButton(), *confirm = card->confirmButton();
        QCOMPARE(cancel->width(), cancel->sizeHint().width());
        QCOMPARE(confirm->width(), confirm->sizeHint().width());
        QCOMPARE(confirm->x() - (cancel->x() + cancel->width()), 10);
        QVERIFY(qAbs(cancel->x() - (card->width() - confirm->x() - confirm->width())) <= 1);
    }

    void clicksOnTheShadowPassThrough() {
        show(false);
        FloatingPanel* panel = m_controller.panel();
        const QRegion input = panel->cardRegion();
        const QRect card = input.boundingRect();
        QCOMPARE(card.size(), panel->cardSize());
        QVERIFY(card.left() > 0 && card.top() > 0); // a shadow margin offscreen too
        QVERIFY(input.contains(card.center()));
        QVERIFY(input.contains(QPoint(card.left() + 22, card.top())));
        QVERIFY(!input.contains(card.topLeft() + QPoint(2, 2))); // the rounded corner
        QVERIFY(!input.contains(QPoint(card.left() - 1, card.center().y())));
    }

    // Offscreen there is no accessibility bridge to hear events: the description the bridge
    // would announce is checked; the desktop test reads the real tree over AT-SPI.
    void aScreenReaderHearsTheCardAndTheCountdown() {
        show(false);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_controller.panel());
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Clap-clap detected"));
        for (int left = 10; left > 0; --left) {
            QCOMPARE(window->text(QAccessible::Description),
                     QStringLiteral("Going to sleep in %1s…").arg(left));
            m_timers.advance(1s);
        }
        ConfirmationView* card = show(false);
        // Tab goes from the card to Cancel, then to the confirm button.
        QVERIFY(QTest::qWaitForWindowActive(m_controller.panel()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), card->cancelButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), card->confirmButton());
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
