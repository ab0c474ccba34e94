#include "ui/OnboardingWindowController.h"

#include "support/FakeServices.h"
#include "ui/AssetImage.h"
#include "ui/OnboardingView.h"
#include "ui/PageDots.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

// The setup assistant's window, its pager and its pages, on a real state object with fake
// services.
class OnboardingWindowControllerTest : public QObject {
    Q_OBJECT

    std::optional<FakeServices> m_fakes;
    std::optional<AppState> m_state;
    std::optional<OnboardingWindowController> m_controller;
    QTemporaryDir m_pictures;
    int m_closes = 0;

    OnboardingView* view() { return m_controller->view(); }
    template <typename T = QWidget> T* child(const char* name) {
        return view()->findChild<T*>(QLatin1String(name));
    }

private slots:
    void init() {
        m_fakes.emplace().microphone.current = MicStatus::notDetermined;
        m_state.emplace(m_fakes->services(), m_fakes->views());
        m_controller.emplace(*m_state, m_pictures.path()).setOnClose([this] { ++m_closes; });
        m_closes = 0;
    }
    void cleanup() { m_controller.reset(), m_state.reset(), m_fakes.reset(); }

    // The microphone and behaviour pages' own tests find them on pages 1 and 2.
    void pagesButtonsAndDots_data() {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("forward");
        QTest::addColumn<QString>("content");
        // clang-format off
        QTest::newRow("-1 is clamped") << -1 << 0 << false << "Get Started" << "welcomePage";
        QTest::newRow("3") << 3 << 3 << true << "Continue" << "schedulePage";
        QTest::newRow("9 is clamped") << 9 << 4 << true << "Finish" << "testPage";
        // clang-format on
    }
    void pagesButtonsAndDots() {
        QFETCH(int, startPage);
        QFETCH(int, page);
        m_controller->show(startPage);
        QCOMPARE(view()->page(), page);
        QTEST(child("back")->isVisible(), "back");
        QTEST(child<QPushButton>("forward")->text(), "forward");
        QTEST(view()->pageWidget()->objectName(), "content");
        auto* dots = child<PageDots>("pageDots");
        const QImage image = dots->grab().toImage();
        for (int i = 0; i < OnboardingView::pageCount; ++i)
            QCOMPARE(image.pixel(dots->dotCentre(i)) == dots->palette().windowText().color().rgb(),
                     i == page);
        // Centred in the window whether "Back" is shown or not.
        const QPoint centre = dots->mapTo(view(), dots->rect().center());
        QVERIFY(qAbs(centre.x() - OnboardingView::fixedSize.width() / 2) <= 1);
    }

    // Return walks forward, "Back" goes back, Enter finishes; onClose comes once per close,
    // later. Every show reuses the window where it was, with a fresh pager.
    void everyShowReusesTheWindowWhereItWasWithAFreshPager() {
        m_controller->show(2);
        QWidget* window = m_controller->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->maximumSize(), OnboardingView::fixedSize);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((window->geometry().center() - screen.center()).manhattanLength() <= 50);
        window->move(window->pos() + QPoint(30, 40));
        const QPoint moved = window->pos();
        QPointer<OnboardingView> first = view();
        m_controller->show(0);
        QVERIFY(m_controller->window() == window && window->pos() == moved && !first);
        for (int page = 1; page <= 4; ++page) {
            QTest::keyClick(window, Qt::Key_Return);
            QCOMPARE(view()->page(), page);
        }
        child<QPushButton>("back")->click();
        QCOMPARE(view()->page(), 3);
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Enter);
        QVERIFY(!window->isVisible() && m_closes == 0);
        QTRY_COMPARE(m_closes, 1);
        m_controller->show(1);
        QVERIFY(m_controller->window() == window && window->isVisible() && window->pos() == moved);
        QCOMPARE(view()->page(), 1);
        window->close(); // by the title bar
        QTRY_COMPARE(m_closes, 2);
    }

    // Changed behind the state's back: the page reads it when it comes into view, and an
    // answer shows at once.
    void theMicrophonePageShowsThePermission_data() {
        QTest::addColumn<MicStatus>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not determined") << MicStatus::notDetermined << "enableMicrophone";
        QTest::newRow("denied") << MicStatus::denied << "microphoneDenied";
        QTest::newRow("authorized") << MicStatus::authorized << "microphoneEnabled";
    }
    void theMicrophonePageShowsThePermission() {
        QFETCH(QString, shown);
        QFETCH(MicStatus, status);
        m_fakes->microphone.current = status;
        m_controller->show(1);
        for (const char* name : {"enableMicrophone", "microphoneDenied", "microphoneEnabled"})
            QCOMPARE(child(name)->isVisible(), shown == QLatin1String(name));
        if (status == MicStatus::notDetermined) {
            child<QPushButton>("enableMicrophone")->click();
            m_fakes->microphone.answer(true);
            QTRY_VERIFY(child("microphoneEnabled")->isVisible());
        }
    }

    void theBehaviourChoiceIsBoundBothWays() {
        m_controller->show(2);
        auto* always = child<QRadioButton>("always");
        QVERIFY(always->isChecked());
        child<QRadioButton>("whenVideoPlaying")->click();
        QCOMPARE(m_state->confirmationMode(), ConfirmationMode::whenVideoPlaying);
        m_state->setConfirmationMode(ConfirmationMode::always);
        QVERIFY(always->isChecked());
    }

    void theWelcomePictureIsReadAtEveryDrawing() {
        m_controller->show(0);
        auto* hero = child<AssetImage>("hero");
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString path = m_pictures.filePath(QStringLiteral("onboarding-hero.png"));
        for (bool there : {false, true, false}) {
            QVERIFY(there ? picture.save(path) : !QFile::exists(path) || QFile::remove(path));
            const QImage drawn = hero->grab().toImage();
            QCOMPARE(drawn.pixelColor(drawn.rect().center()) == Qt::red, there);
        }
    }
};

QTEST_MAIN(OnboardingWindowControllerTest)
#include "OnboardingWindowControllerTest.moc"
