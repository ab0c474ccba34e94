#include "ui/ConfirmationPanelController.h"

#include "support/FakeTimers.h"
#include "ui/ConfirmationView.h"
#include "ui/Contrast.h"
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

// A dark Plasma scheme, as the desktop test gives Lullwick.
QPalette darkPalette() {
    QPalette dark;
    // clang-format off
    for (auto [role, color] : {std::pair{QPalette::Window, "#2a2e32"}, {QPalette::Button, "#31363b"}, {QPalette::Base, "#1b1e20"},
            {QPalette::Highlight, "#3daee9"}, {QPalette::WindowText, "#fcfcfc"}, {QPalette::ButtonText, "#fcfcfc"},
            {QPalette::Text, "#fcfcfc"}, {QPalette::HighlightedText, "#fcfcfc"}})
        // clang-format on
        dark.setColor(role, QColor(color));
    return dark;
}

// The contrast of the text in area: its most common colour is the background, the ink the
// pixel that stands out most from it.
qreal textContrast(const QImage& card, const QRect& area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[card.pixel(x, y)];
    const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
    qreal best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(background), QColor(it.key())));
    return best;
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

    // The message and the description a screen reader announces (offscreen there is no bridge
    // to hear it; the desktop test reads the real tree over AT-SPI), and the mascot's pose.
    void countsDownOneSecondAtATime_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("message");
        QTest::addColumn<MascotPose>("first");
        QTest::addColumn<MascotPose>("lastFour");
        // clang-format off
        QTest::newRow("normal") << false << "Going to sleep in %1s…" << MascotPose::sleepy << MascotPose::asleep;
        QTest::newRow("video") << true << "A video is playing — ignoring in %1s unless you confirm."
                               << MascotPose::skeptical << MascotPose::skeptical;
        // clang-format on
    }
    void countsDownOneSecondAtATime() {
        QFETCH(bool, video);
        QFETCH(QString, message);
        ConfirmationView* card = show(video);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_controller.panel());
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Clap-clap detected"));
        for (int left = 10; left > 0; --left) {
            QCOMPARE(card->message()->text(), message.arg(left));
            QCOMPARE(window->text(QAccessible::Description), message.arg(left));
            QTEST(card->mascot()->pose(), left > 4 ? "first" : "lastFour");
            QCOMPARE(card->mascot()->showZs(), !video && left <= 4);
            m_timers.advance(999ms);
            QVERIFY(m_calls.isEmpty());
            m_timers.advance(1ms);
        }
        QCOMPARE(m_calls, QStringList{video ? "cancel gone" : "sleep gone"});
    }

    // press: a button's name, or a key; a click on Cancel and the whole count follow it.
    void theFirstDecisionIsTheOnlyOne_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("call");
        // clang-format off
        QTest::newRow("Return, video") << true << "Return" << "sleep gone";
        QTest::newRow("Escape") << false << "Esc" << "cancel gone";
        QTest::newRow("Sleep Anyway") << true << "confirmButton" << "sleep gone";
        QTest::newRow("Cancel") << false << "cancelButton" << "cancel gone";
        // clang-format on
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
        QCOMPARE(m_calls.size(), 1);
        QTEST(m_calls.value(0), "call");
    }

    // Over the darkest desktop for a light card and the lightest for a dark one.
    void everyTextIsLegibleInLightAndDark_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QColor>("desktop");
        QTest::addColumn<bool>("video"); // other words, wider, in the same colours
        const QPalette light = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
        QTest::newRow("light") << light << QColor(Qt::black) << false;
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
        // clang-format off
        for (auto [widget, frame] : {std::pair<QWidget*, int>{card->findChild<QLabel*>("title"), 0}, {card->message(), 0},
                                     {card->cancelButton(), 4}, {card->confirmButton(), 4}}) {
            // clang-format on
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

    // The buttons as wide as their words, ten apart and centred; clicks on the shadow and the
    // rounded corners pass through.
    void layoutAndInputShape() {
        ConfirmationView* card = show(true);
        QPushButton *cancel = card->cancelButton(), *confirm = card->confirmButton();
        QCOMPARE(QSize(cancel->width(), confirm->width()),
                 QSize(cancel->sizeHint().width(), confirm->sizeHint().width()));
        QCOMPARE(confirm->x() - (cancel->x() + cancel->width()), 10);
        QVERIFY(qAbs(cancel->x() - (card->width() - confirm->x() - confirm->width())) <= 1);
        const QRegion input = m_controller.panel()->cardRegion();
        const QRect bounds = input.boundingRect();
        QVERIFY(bounds.size() == m_controller.panel()->cardSize() && bounds.left() > 0);
        QVERIFY(input.contains(bounds.center()) &&
                input.contains(bounds.topLeft() + QPoint(22, 0)));
        QVERIFY(!input.contains(bounds.topLeft() + QPoint(2, 2)));
    }

    // Tab goes from the card to Cancel, then to the confirm button.
    void tabReachesBothButtons() {
        ConfirmationView* card = show(false);
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
