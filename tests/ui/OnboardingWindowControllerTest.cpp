#include "ui/OnboardingWindowController.h"

#include "support/StateFixture.h"
#include "ui/AnimationClock.h"
#include "ui/AssetImage.h"
#include "ui/ClapArea.h"
#include "ui/ListeningHoursPage.h"
#include "ui/MascotView.h"
#include "ui/OnboardingView.h"
#include "ui/PageDots.h"
#include "ui/PracticePage.h"
#include "ui/ScheduleWindowRow.h"

#include <QTest>
#include <QtWidgets>

// The setup assistant's window, its pager and its pages, on a real state object with fake
// services. Runs with LC_ALL=C, whose short time format has seconds: the one the pickers drop.
class OnboardingWindowControllerTest : public QObject {
    Q_OBJECT

    StateFixture m_f;
    AppState* m_state = nullptr;
    std::optional<OnboardingWindowController> m_controller;
    QTemporaryDir m_pictures;
    int m_closes = 0;

    OnboardingView* view() { return m_controller->view(); }
    template <typename T = QWidget> T* child(const char* name) {
        return view()->findChild<T*>(QLatin1String(name));
    }

private slots:
    void init() {
        m_controller.reset(), m_f.reset();
        m_state = &m_f.create({.mic = MicStatus::notDetermined, .setupDone = false});
        m_controller.emplace(*m_state, m_pictures.path()).setOnClose([this] { ++m_closes; });
        m_closes = 0;
    }
    void cleanup() { m_controller.reset(), m_f.reset(); }
    void setUp(bool scheduleOn, const ScheduleWindows& windows) {
        m_state->setScheduleEnabled(scheduleOn);
        m_state->setScheduleWindows(windows);
    }

    // The microphone and behaviour pages' own tests find them by their names.
    void pagesButtonsAndDots_data() {
        QTest::addColumn<SetupPage>("page");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("content");
        // clang-format off
        QTest::newRow("welcome") << SetupPage::welcome << false << "welcomePage";
        QTest::newRow("listening hours") << SetupPage::listeningHours << true << "schedulePage";
        QTest::newRow("practice") << SetupPage::practice << true << "testPage";
        // clang-format on
    }
    void pagesButtonsAndDots() {
        QFETCH(SetupPage, page);
        m_controller->show(page);
        QTEST(child("back")->isVisible(), "back");
        QTEST(view()->pageWidget()->objectName(), "content");
        auto* dots = child<PageDots>("pageDots");
        const QImage image = dots->grab().toImage();
        for (int i = 0; i < setupPageCount; ++i)
            QCOMPARE(image.pixel(dots->dotCentre(i)) == dots->palette().windowText().color().rgb(),
                     i == static_cast<int>(page));
    }

    // Return walks forward, "Back" goes back, Enter finishes; onClose comes once per close,
    // later. Every show reuses the window where it was, with a fresh pager.
    void everyShowReusesTheWindowWhereItWasWithAFreshPager() {
        m_controller->show(SetupPage::behavior);
        QWidget* window = m_controller->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((window->geometry().center() - screen.center()).manhattanLength() <= 50);
        window->move(window->pos() + QPoint(30, 40));
        const QPoint moved = window->pos();
        QPointer<OnboardingView> first = view();
        m_controller->show(SetupPage::welcome);
        QVERIFY(m_controller->window() == window && window->pos() == moved && !first);
        for (int page = 1; page < setupPageCount; ++page) {
            QTest::keyClick(window, Qt::Key_Return);
            QCOMPARE(static_cast<int>(view()->page()), page);
        }
        child<QPushButton>("back")->click();
        QCOMPARE(view()->page(), SetupPage::listeningHours);
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Enter);
        QVERIFY(!window->isVisible() && m_closes == 0);
        QTRY_COMPARE(m_closes, 1);
        m_controller->show(SetupPage::microphone);
        QVERIFY(m_controller->window() == window && window->isVisible() && window->pos() == moved);
        QCOMPARE(view()->page(), SetupPage::microphone);
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
        m_f.fakes->microphone.current = status;
        m_controller->show(SetupPage::microphone);
        for (const char* name : {"enableMicrophone", "microphoneDenied", "microphoneEnabled"})
            QCOMPARE(child(name)->isVisible(), shown == QLatin1String(name));
        if (status == MicStatus::notDetermined) {
            child<QPushButton>("enableMicrophone")->click();
            m_f.fakes->microphone.answer(true);
            QTRY_VERIFY(child("microphoneEnabled")->isVisible());
        }
    }

    void theBehaviourChoiceIsBoundBothWays() {
        m_controller->show(SetupPage::behavior);
        auto* always = child<QRadioButton>("always");
        QVERIFY(always->isChecked());
        child<QRadioButton>("whenVideoPlaying")->click();
        QCOMPARE(m_state->confirmationMode(), ConfirmationMode::whenVideoPlaying);
        m_state->setConfirmationMode(ConfirmationMode::always);
        QVERIFY(always->isChecked());
    }

    void theWelcomePictureIsReadAtEveryDrawing() {
        m_controller->show(SetupPage::welcome);
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

    void listFollowsTheSwitchAndAddHoursAppendsNoon() {
        for (const bool scheduleOn : {false, true}) {
            for (const int windows : {0, 2}) {
                setUp(scheduleOn,
                      windows ? ScheduleWindows{window(0, 60), window(60, 90)} : ScheduleWindows{});
                ListeningHoursPage page(*m_state);
                page.show();
                QCOMPARE(page.rows().size(), windows);
                QCOMPARE(page.findChild<QLabel*>("emptyHint")->isVisible(), windows == 0);
                QCOMPARE(page.windowList()->isEnabled(), scheduleOn); // dimmed and deaf when off
                QVERIFY(page.findChild<QCheckBox*>("scheduleEnabled")->isEnabled());

                QTest::mouseClick(page.findChild<QPushButton*>("addHours"), Qt::LeftButton);
                QCOMPARE(m_state->scheduleWindows().size(), windows + (scheduleOn ? 1 : 0));
                if (!scheduleOn)
                    continue;
                QCOMPARE(page.rows().last()->id(), m_state->scheduleWindows().last().id);
                QCOMPARE(page.rows().last()->endPicker()->time(), QTime(14, 0));
                QVERIFY(!page.findChild<QLabel*>("emptyHint")->isVisible());
            }
        }
    }

    void editsAreStoredAtOnce() {
        setUp(true, {window(600, 660)});
        ListeningHoursPage page(*m_state);
        ScheduleWindowRow* row = page.rows().first();
        row->startPicker()->setTime(QTime(21, 0));
        row->endPicker()->setTime(QTime(7, 0));
        QCOMPARE(m_state->scheduleWindows(), (ScheduleWindows{{row->id(), 1260, 420, true}}));
        row->enabledSwitch()->click();
        QCOMPARE(m_state->scheduleWindows(), (ScheduleWindows{{row->id(), 1260, 420, false}}));
        QVERIFY(row->opacity() < 1 && row->startPicker()->isEnabled()); // only marked
        QCOMPARE(page.rows().first(), row); // edited in place: a picker keeps its focus
    }

    void removeTakesExactlyItsRow() {
        for (int removed : {0, 1}) { // the first and the second of two equal ones
            ScheduleWindows windows{window(720, 840), window(720, 840), window(60, 120)};
            setUp(true, windows);
            ListeningHoursPage page(*m_state);
            QTest::mouseClick(page.rows()[removed]->removeButton(), Qt::LeftButton);
            windows.removeAt(removed);
            QCOMPARE(m_state->scheduleWindows(), windows);
            QCOMPARE(page.rows().size(), 2);
            QCOMPARE(page.rows()[1]->id(), windows[1].id);
        }
    }

    void manyRowsScrollInsteadOfGrowing() {
        setUp(true, {});
        ListeningHoursPage page(*m_state);
        page.resize(480, 600); // the assistant's width
        page.show();
        QList<int> heights;
        for (int count = 1; count <= 8; ++count) {
            m_state->addScheduleWindow();
            for (int level = 0; level < 4; ++level) // layout requests climb one level a turn
                QCoreApplication::processEvents();
            heights.append(page.sizeHint().height());
        }
        QVERIFY(page.scrollArea()->verticalScrollBar()->maximum() > 0);
        QVERIFY(heights[0] < heights[2]);
        QCOMPARE(heights[6], heights[7]); // long past the limit
    }

    void timesShowNoSeconds() {
        // Only C is generated on the test machine; a named QLocale needs no system locale.
        for (const auto& [locale, shown] :
             {std::pair{"C", "14:05"}, {"de_DE", "14:05"}, {"en_US", "2:05 PM"}}) {
            const QLocale named(QString::fromLatin1(locale));
            QCOMPARE(named.toString(QTime(14, 5), ScheduleWindowRow::timeFormat(named)),
                     QString::fromLatin1(shown));
        }
        // The picker in the locale the test runs under, LC_ALL=C, whose format has seconds.
        ScheduleWindowRow row(*m_state, window(845, 60));
        QCOMPARE(row.startPicker()->text(), QStringLiteral("14:05"));
    }

    void thePracticePageShowsWhatWasHeard() {
        for (const auto& [microphone, doubles] : {std::pair{MicStatus::denied, 0},
                                                  {MicStatus::authorized, 0},
                                                  {MicStatus::authorized, 3}}) {
            auto page = std::make_unique<PracticePage>(*m_state, m_pictures.path());
            QVERIFY(m_state->isClapTestActive()); // with counters started over (AppStateTest)
            page->show();
            m_state->setTestDoubleClapCount(doubles);
            m_state->setMicStatus(microphone);
            const bool denied = microphone == MicStatus::denied;
            QVERIFY(page->warning()->isVisible() == denied &&
                    page->status()->isVisible() != denied);
            QCOMPARE(page->status()->text().contains(u'3'), doubles == 3);
            QCOMPARE(page->hint()->isVisible(), doubles == 0);
            const MascotView* mascot = page->clapArea()->mascot();
            QCOMPARE(mascot && mascot->isVisible(), doubles > 0);
            page.reset();
            QVERIFY(!m_state->isClapTestActive()); // leaving ends practice
        }
    }

    // Each new count starts the ring over, growing and fading; the count the page first shows,
    // and the same count again, start nothing.
    void everyNewClapStartsThePulseOver() {
        PracticePage page(*m_state, m_pictures.path());
        ClapArea* area = page.clapArea();
        const auto ring = [area] { return std::pair{area->pulseScale(), area->pulseOpacity()}; };
        QCOMPARE(ring().second, 0.0);
        m_state->setTestClapCount(1);
        const auto start = ring();
        area->pulseClock()->setCurrentTime(300);
        const auto half = ring();
        QVERIFY(half.first > start.first && half.second < start.second && half.second > 0);
        m_state->setTestClapCount(1);
        QCOMPARE(ring(), half);
        area->pulseClock()->setCurrentTime(ClapArea::pulseMs);
        m_state->setTestClapCount(2); // after the end
        QCOMPARE(ring(), start);
        area->pulseClock()->setCurrentTime(200);
        m_state->setTestClapCount(3); // during a pulse
        QCOMPARE(ring(), start);
    }
};

QTEST_MAIN(OnboardingWindowControllerTest)
#include "OnboardingWindowControllerTest.moc"
