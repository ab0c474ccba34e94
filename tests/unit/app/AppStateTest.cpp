// The settings of the state object: how they are read at start, what each assignment does,
// the login item, the setup assistant at start, and its end. Runs with LC_ALL=en_GB.UTF-8 and
// TZ=Europe/Berlin.

#include "StateFixture.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class AppStateTest : public QObject {
    Q_OBJECT

    StateFixture m_f;

private slots:
    void init() { m_f.reset(); }

    void loading_data() {
        QTest::addColumn<QVariantHash>("stored");
        QTest::addColumn<QString>("settings");
        const QByteArray noSwitch(
            R"([{"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":2}])");
        const QByteArray list = encodeScheduleWindows({{QUuid::createUuid(), 600, 660, false}});
        const QString defaults = QStringLiteral("on always medium off todo 1260-420");
        // clang-format off
        QTest::newRow("empty") << QVariantHash{} << defaults;
        QTest::newRow("stored") << QVariantHash{{"enabled", false}, {"confirmationMode", u"whenVideoPlaying"_s}, {"sensitivity", u"high"_s},
            {"scheduleEnabled", true}, {"hasCompletedOnboarding", true}, {"scheduleWindows", list}, {"scheduleStartMinutes", qint64(1)}}
            << "off whenVideoPlaying high on done 600-660off";
        QTest::newRow("low, empty list") << QVariantHash{{"sensitivity", u"low"_s}, {"scheduleWindows", QByteArray("[]")}, {"scheduleStartMinutes", qint64(1)}}
            << "on always low off todo ";
        QTest::newRow("other types") << QVariantHash{{"enabled", u"false"_s}, {"confirmationMode", QByteArray("whenVideoPlaying")},
            {"sensitivity", qint64(2)}, {"scheduleEnabled", u"true"_s}, {"hasCompletedOnboarding", qint64(1)},
            {"scheduleWindows", u"[]"_s}, {"scheduleStartMinutes", u"1320"_s}, {"scheduleEndMinutes", true}} << defaults;
        QTest::newRow("letter case") << QVariantHash{{"enabled", qint64(0)}, {"confirmationMode", u"WhenVideoPlaying"_s}, {"sensitivity", u"HIGH"_s}} << defaults;
        QTest::newRow("member missing") << QVariantHash{{"scheduleWindows", noSwitch}, {"scheduleStartMinutes", qint64(1320)}, {"scheduleEndMinutes", qint64(360)}}
            << "on always medium off todo 1320-360";
        // clang-format on
    }
    // Every setting read at start, in one line.
    void loading() {
        QFETCH(QVariantHash, stored);
        m_f.fakes->store.values.insert(stored);
        AppState& s = *(m_f.state = m_f.fakes->makeState());
        const auto raw = [](auto value) { return QString::fromLatin1(rawValue(value).data()); };
        // clang-format off
        QTEST(QStringList({s.isEnabled() ? "on" : "off", raw(s.confirmationMode()), raw(s.sensitivity()), s.scheduleEnabled() ? "on" : "off",
            s.hasCompletedOnboarding() ? "done" : "todo", hours(s.scheduleWindows())}).join(u' '), "settings");
        // clang-format on
        QVERIFY(s.detector().tuning() == tuningFor(s.sensitivity()) &&
                m_f.fakes->store.writes.isEmpty());
    }

    void assignment_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored"); // under the property's name
        QTest::addColumn<bool>("reevaluates");
        const ScheduleWindows list{{QUuid::createUuid(), 0, 0, true},
                                   {QUuid::createUuid(), 1439, 5, false}};
        // clang-format off
        QTest::newRow("isEnabled") << QVariant(true) << QVariant(true) << true;
        QTest::newRow("scheduleEnabled") << QVariant(false) << QVariant(false) << true;
        QTest::newRow("scheduleWindows") << QVariant::fromValue(list) << QVariant(encodeScheduleWindows(list)) << true;
        QTest::newRow("confirmationMode") << QVariant::fromValue(ConfirmationMode::whenVideoPlaying) << QVariant(u"whenVideoPlaying"_s) << false;
        QTest::newRow("sensitivity") << QVariant::fromValue(Sensitivity::low) << QVariant(u"low"_s) << false;
        // clang-format on
    }
    void assignment() {
        const QByteArray property = QTest::currentDataTag();
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        AppState& state = m_f.create();
        state.setDetectorRunning(false); // out of step: re-evaluating listening puts it right
        const QMetaObject* meta = state.metaObject();
        QSignalSpy notified(&state, meta->property(meta->indexOfProperty(property)).notifySignal());
        QVERIFY(state.setProperty(property, value) && state.setProperty(property, value));
        QCOMPARE(notified.size(), 2);
        const QString key = QString::fromLatin1(property == "isEnabled" ? "enabled" : property);
        QCOMPARE(m_f.fakes->store.writes, QStringList(2, key));
        QCOMPARE(m_f.fakes->store.values.value(key), stored);
        QTEST(state.detectorRunning(), "reevaluates");
        QCOMPARE(state.detector().tuning(), tuningFor(state.sensitivity()));
    }

    void loginItem_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("assigned");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QList<bool>>("calls");
        QTest::addColumn<bool>("after");
        const QString no = QStringLiteral("read-only");
        // clang-format off
        QTest::newRow("same") << true << true << QStringList{} << QList<bool>{} << true;
        QTest::newRow("changed") << true << false << QStringList{} << QList<bool>{false} << false;
        QTest::newRow("refused") << false << true << QStringList{no} << QList<bool>{true, false} << false;
        QTest::newRow("refused, unchanged") << true << false << QStringList{no, no} << QList<bool>{false, true} << true;
        // clang-format on
    }
    void loginItem() {
        QFETCH(bool, before);
        QFETCH(bool, assigned);
        QFETCH(QStringList, failures);
        m_f.fakes->loginItem.enabled = before;
        AppState& state = m_f.create();
        m_f.fakes->loginItem.failures = failures;
        state.setLaunchAtLogin(assigned);
        QTEST(m_f.fakes->loginItem.calls, "calls");
        QTEST(state.launchAtLogin(), "after");
        QCOMPARE(m_f.fakes->log.lines,
                 failures.replaceInStrings(QRegularExpression("^"),
                                           "Lullwick: login item change failed: "));
    }

    void setupAssistantOpensAtItsDelayUntilCompleted() {
        AppState& state = m_f.create(Given{.setupDone = false});
        QSignalSpy requested(&state, &AppState::setupAssistantRequested);
        m_f.fakes->timers.advance(399ms);
        QCOMPARE(requested.size(), 0);
        m_f.fakes->timers.advance(1ms);
        QCOMPARE(requested.value(0), QVariantList{0});
        QSignalSpy done(&m_f.create(), &AppState::setupAssistantRequested);
        m_f.fakes->timers.advance(1h);
        QCOMPARE(requested.size() + done.size(), 1);
    }

    // Whatever was under way when the state object goes finds nothing and does nothing.
    void nothingHappensOnceTheStateIsGone() {
        AppState& state = m_f.create(Given{.setupDone = false});
        m_f.doubleClap(); // the card is up
        state.sleepNow();
        m_f.state.reset();
        QVERIFY(!m_f.fakes->audioInput.isRunning() && m_f.fakes->timers.activeCount() == 0);
        m_f.fakes->confirmation.confirm();
        m_f.fakes->timers.advance(1h);
        QCOMPARE(m_f.fakes->sleeper.calls, 0);
    }

    void windowsAreAddedAndRemoved() {
        AppState& state = m_f.create(Given{.hours = night()});
        state.addScheduleWindow();
        QCOMPARE(hours(state.scheduleWindows()), QStringLiteral("1260-420 720-840"));
        state.removeScheduleWindow(state.scheduleWindows().first().id);
        QCOMPARE(hours(state.scheduleWindows()), QStringLiteral("720-840"));
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"
