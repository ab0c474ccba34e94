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
#include <memory>

using namespace lullwick;

// The setup assistant's window, its pager and its first three pages, on a real state object
// with fake services.
class TestOnboardingWindowController : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<OnboardingWindowController> m_controller;
    QTemporaryDir m_pictures;
    int m_closes = 0;

    OnboardingView* view() { return m_controller->view(); }
    template <typename T = QWidget> T* child(const char* name) {
        return view()->findChild<T*>(QLatin1String(name));
    }

private slots:
    void init() {
        m_fakes = std::make_unique<FakeServices>();
        m_fakes->microphone.current = MicStatus::notDetermined;
        m_state = std::make_unique<AppState>(m_fakes->services(), m_fakes->views());
        m_controller = std::make_unique<OnboardingWindowController>(*m_state, m_pictures.path());
        m_closes = 0;
        m_controller->setOnClose([this] { ++m_closes; });
    }

    void cleanup() {
        m_controller.reset();
        m_state.reset();
        m_fakes.reset();
    }

    void pagesButtonsAndDots_data() {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("forward");
        QTest::addColumn<QString>("content");
        QTest::newRow("-1 is clamped") << -1 << 0 << false << "Get Started"
                                       << "welcomePage";
        QTest::newRow("0") << 0 << 0 << false << "Get Started"
                           << "welcomePage";
        QTest::newRow("1") << 1 << 1 << true << "Continue"
                           << "microphonePage";
        QTest::newRow("2") << 2 << 2 << true << "Continue"
                           << "behaviorPage";
        QTest::newRow("3") << 3 << 3 << true << "Continue"
                           << "schedulePage";
        QTest::newRow("4") << 4 << 4 << true << "Finish"
                           << "testPage";
        QTest::newRow("9 is clamped") << 9 << 4 << true << "Finish"
                                      << "testPage";
    }

    void pagesButtonsAndDots() {
        QFETCH(int, startPage);
        QFETCH(int, page);
        QFETCH(bool, back);
        QFETCH(QString, forward);
        QFETCH(QString, content);
        m_controller->show(startPage);
        QCOMPARE(view()->page(), page);
        QCOMPARE(child("back")->isVisible(), back);
        QCOMPARE(child<QPushButton>("forward")->text(), forward);
        QCOMPARE(view()->pageWidget()->objectName(), content);

        auto* dots = child<PageDots>("pageDots");
        const QImage image = dots->grab().toImage();
        const QColor primary = dots->palette().color(QPalette::WindowText);
        for (int i = 0; i < OnboardingView::pageCount; ++i) {
            const QColor drawn = image.pixelColor(dots->dotCentre(i));
            QCOMPARE(drawn.rgb() == primary.rgb() && drawn.alpha() == 255, i == page);
        }
        // Centred in the window whether "Back" is shown or not.
        const QPoint centre = dots->mapTo(view(), dots->rect().center());
        QVERIFY(qAbs(centre.x() - OnboardingView::fixedSize.width() / 2) <= 1);
    }

    void returnWalksForwardAndFinishesOnTheLastPage() {
        m_controller->show(0);
        QWidget* window = m_controller->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->size(), OnboardingView::fixedSize);
        QCOMPARE(window->windowTitle(), QStringLiteral("Lullwick Setup"));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        for (int page = 1; page <= 4; ++page) {
            QTest::keyClick(window, Qt::Key_Return);
            QCOMPARE(view()->page(), page);
        }
        child<QPushButton>("back")->click();
        QCOMPARE(view()->page(), 3);
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Enter);
        QVERIFY(!window->isVisible());
        QCOMPARE(m_closes, 0); // later, on the event loop
        QTRY_COMPARE(m_closes, 1);
    }

    void everyShowReusesTheWindowWhereItWasWithAFreshPager() {
        m_controller->show(2);
        QWidget* window = m_controller->window();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // Centred, give or take the window manager's frame.
        const QPoint offset = window->geometry().center() - screen.center();
        QVERIFY(qAbs(offset.x()) <= 10 && qAbs(offset.y()) <= 40);
        window->move(window->pos() + QPoint(30, 40));
        const QPoint moved = window->pos();
        QPointer<OnboardingView> first = view();

        m_controller->show(3);
        QCOMPARE(m_controller->window(), window);
        QCOMPARE(window->pos(), moved);
        QVERIFY(!first);
        QCOMPARE(view()->page(), 3);

        // Closed by the title bar, then shown again: same window, same place, onClose again.
        window->close();
        QTRY_COMPARE(m_closes, 1);
        m_controller->show(1);
        QCOMPARE(m_controller->window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), moved);
        QCOMPARE(view()->page(), 1);
        for (int page = 1; page <= 4; ++page)
            child<QPushButton>("forward")->click();
        QTRY_COMPARE(m_closes, 2);
        QVERIFY(!window->isVisible());
    }

    void theMicrophonePageShowsThePermission_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not determined") << 0 << "enableMicrophone";
        QTest::newRow("restricted") << 1 << "microphoneDenied";
        QTest::newRow("denied") << 2 << "microphoneDenied";
        QTest::newRow("authorized") << 3 << "microphoneEnabled";
    }

    void theMicrophonePageShowsThePermission() {
        QFETCH(int, status);
        QFETCH(QString, shown);
        // Changed behind the state's back: the page reads it when it comes into view.
        m_fakes->microphone.current = static_cast<MicStatus>(status);
        m_controller->show(1);
        for (const char* name : {"enableMicrophone", "microphoneDenied", "microphoneEnabled"})
            QCOMPARE(child(name)->isVisible(), shown == QLatin1String(name));
    }

    void anAnswerShowsWithoutReopeningThePage() {
        m_controller->show(1);
        child<QPushButton>("enableMicrophone")->click();
        m_fakes->microphone.answer(true);
        QTRY_VERIFY(child("microphoneEnabled")->isVisible());
    }

    void theBehaviourChoiceIsBoundBothWays() {
        m_controller->show(2);
        auto* always = child<QRadioButton>("always");
        auto* whenVideo = child<QRadioButton>("whenVideoPlaying");
        QVERIFY(always->isChecked());
        whenVideo->click();
        QCOMPARE(m_state->confirmationMode(), ConfirmationMode::whenVideoPlaying);
        m_state->setConfirmationMode(ConfirmationMode::always);
        QVERIFY(always->isChecked());
        QVERIFY(!whenVideo->isChecked());
    }

    void theWelcomePictureIsReadAtEveryDrawing() {
        m_controller->show(0);
        auto* hero = child<AssetImage>("hero");
        QCOMPARE(hero->height(), 260);
        hero->grab();
        QVERIFY(!hero->showedPicture());
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString path = m_pictures.filePath(QStringLiteral("onboarding-hero.png"));
        QVERIFY(picture.save(path));
        const QImage drawn = hero->grab().toImage();
        QVERIFY(hero->showedPicture());
        QCOMPARE(drawn.pixelColor(drawn.rect().center()), QColor(Qt::red));
        QVERIFY(QFile::remove(path));
        hero->grab();
        QVERIFY(!hero->showedPicture());
    }
};

QTEST_MAIN(TestOnboardingWindowController)
#include "OnboardingWindowControllerTest.moc"
