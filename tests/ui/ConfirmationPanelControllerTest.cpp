// The two cards, and the screen they come up on.

#include "ui/ConfirmationPanelController.h"

#include "support/FakeTimers.h"
#include "ui/ConfirmationView.h"
#include "ui/Contrast.h"
#include "ui/FloatingPanel.h"
#include "ui/GoodNightPanelController.h"
#include "ui/MascotPictures.h"
#include "ui/MascotView.h"
#include "ui/ScreenChoice.h"

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

// The contrast of the text in area: its most common colour is the background, the ink the
// pixel that stands out most from it.
static qreal textContrast(const QImage& card, const QRect& area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[card.pixel(x, y)];
    const QColor background(std::max_element(counts.cbegin(), counts.cend()).key());
    qreal best = 1;
    for (QRgb ink : counts.keys())
        best = std::max(best, contrastRatio(background, QColor(ink)));
    return best;
}

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

    // The message, also the description a screen reader announces (offscreen there is no
    // bridge to hear it; the desktop test reads the real tree over AT-SPI), and the mascot,
    // asleep with its Zs for the last four seconds unless a video plays. The card it replaces
    // ends without an action.
    void countsDownOneSecondAtATime_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("message");
        QTest::newRow("normal") << false << "Going to sleep in %1s…";
        QTest::newRow("video") << true
                               << "A video is playing — ignoring in %1s unless you confirm.";
    }
    void countsDownOneSecondAtATime() {
        QFETCH(bool, video);
        QFETCH(QString, message);
        show(!video);
        m_timers.advance(3s);
        ConfirmationView* card = show(video);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_controller.panel());
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Clap-clap detected"));
        for (int left = 10; left > 0; --left) {
            QCOMPARE(card->message()->text() + window->text(QAccessible::Description),
                     message.arg(left).repeated(2));
            const bool asleep = !video && left <= 4;
            const MascotPose pose = asleep ? MascotPose::asleep : MascotPose::sleepy;
            QCOMPARE(card->mascot()->pose(), video ? MascotPose::skeptical : pose);
            QCOMPARE(card->mascot()->showZs(), asleep);
            m_timers.advance(999ms);
            QVERIFY(m_calls.isEmpty());
            m_timers.advance(1ms);
        }
        QCOMPARE(m_calls, QStringList{video ? "cancel gone" : "sleep gone"});
    }

    // Tab goes from the card to Cancel, then to the confirm button; Space presses them. The
    // first decision is the only one: a click on Cancel, a close and the whole count follow it.
    void theFirstDecisionIsTheOnlyOne_data() {
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("call");
        // clang-format off
        QTest::newRow("Return, video") << true << "Return" << "sleep gone";
        QTest::newRow("Escape") << false << "Esc" << "cancel gone";
        QTest::newRow("Sleep Anyway") << true << "Tab Tab Space" << "sleep gone";
        QTest::newRow("Cancel") << false << "Tab Space" << "cancel gone";
        // clang-format on
    }
    void theFirstDecisionIsTheOnlyOne() {
        QFETCH(bool, video);
        QFETCH(QString, keys);
        ConfirmationView* card = show(video);
        QVERIFY(QTest::qWaitForWindowActive(m_controller.panel()));
        for (const QString& key : keys.split(u' '))
            QTest::keyClick(QApplication::focusWidget(), QKeySequence(key)[0].key());
        card->cancelButton()->click();
        m_controller.close();
        m_timers.advance(10s);
        QTEST(m_calls.join(u','), "call");
    }

    // Over the darkest desktop for a light card and the lightest for a dark one (a Plasma
    // scheme, as the desktop test gives Lullwick); the confirm button wears the accent. Clicks
    // on the shadow and the rounded corners pass through.
    void everyTextIsLegibleAndPlacedInLightAndDark_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QColor>("desktop");
        QTest::addColumn<bool>("video"); // other words, wider, in the same colours
        // Breeze Dark's button and window; the rest follows from them.
        QPalette dark(QColor(0x31, 0x36, 0x3b), QColor(0x2a, 0x2e, 0x32));
        dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
        // clang-format off
        QTest::newRow("light") << QStyleFactory::create("Fusion")->standardPalette() << QColor(Qt::black) << false;
        QTest::newRow("dark, video") << dark << QColor(Qt::white) << true;
        // clang-format on
    }
    void everyTextIsLegibleAndPlacedInLightAndDark() {
        QFETCH(QPalette, palette);
        QFETCH(QColor, desktop);
        QApplication::setPalette(palette);
        QFETCH(bool, video);
        ConfirmationView* card = show(video);
        FloatingPanel* panel = m_controller.panel();
        QImage image(panel->size(), QImage::Format_RGB32);
        image.fill(desktop);
        panel->render(&image, {}, {}, QWidget::DrawChildren);
        // clang-format off
        for (auto [widget, frame] : {std::pair<QWidget*, int>{card->findChild<QWidget*>("title"), 0}, {card->message(), 0},
                                     {card->cancelButton(), 4}, {card->confirmButton(), 4}})
            QVERIFY(textContrast(image, QRect(widget->mapTo(panel, QPoint(frame, frame)), widget->size() - 2 * QSize(frame, frame))) >= 4.5);
        // clang-format on
        const QColor face = image.pixelColor(card->confirmButton()->mapTo(panel, QPoint(6, 6)));
        QVERIFY(qAbs(face.hslHue() - palette.color(QPalette::Highlight).hslHue()) <= 8);
        const QRegion input = panel->cardRegion();
        const QRect bounds = input.boundingRect();
        QVERIFY(bounds.size() == panel->cardSize() && bounds.left() > 0);
        QVERIFY(input.contains(bounds.center()) &&
                input.contains(bounds.topLeft() + QPoint(22, 0)) &&
                !input.contains(bounds.topLeft() + QPoint(2, 2)));
        QApplication::setPalette(QPalette());
    }

    void theGoodNightCardIsOneClickThroughCardUntilClosed() {
        GoodNightPanelController controller(m_pictures);
        controller.close();
        controller.show();
        QPointer<FloatingPanel> first = controller.panel();
        controller.show();
        QVERIFY(!first && controller.panel()->isVisible());
        QVERIFY(controller.panel()->windowFlags() & Qt::WindowTransparentForInput);
        controller.close();
        QVERIFY(!controller.panel());
    }

    void theScreenTheUserWorksOn() {
        // The primary on the right, a second screen on its left, a third below it.
        const QList<QRect> three{{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {0, 1080, 1920, 1080}};
        // clang-format off
        const struct { QList<QRect> screens; std::optional<QRect> active; std::optional<QPoint> pointer; int chosen; } rows[]{
            {three, QRect(-900, 100, 600, 400), QPoint(500, 500), 1}, // the active window before the pointer
            {three, QRect(-200, 1000, 800, 400), {}, 2},              // a window across two: the one with more
            {three, {}, QPoint(100, 1500), 2},                        // no window: under the pointer
            {three, QRect(5000, 5000, 10, 10), QPoint(-10, 10), 1},   // a window off every screen: the pointer
            {three, {}, QPoint(-5000, 0), 0},                         // neither: the primary
            {{}, QRect(0, 0, 10, 10), QPoint(0, 0), -1},              // no screen at all
        };
        // clang-format on
        for (const auto& [screens, active, pointer, chosen] : rows)
            QCOMPARE(chooseScreen(screens, active, pointer), chosen);
    }
};

QTEST_MAIN(ConfirmationPanelControllerTest)
#include "ConfirmationPanelControllerTest.moc"
