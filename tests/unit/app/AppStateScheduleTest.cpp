// The listening hours as the state object answers them. Runs with LC_ALL=en_GB.UTF-8 (24-hour
// short times) and TZ=Europe/Berlin (clocks change on 2026-03-29).

#include "support/FakeServices.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace lullwick;

namespace {

ScheduleWindow window(std::int64_t start, std::int64_t end, bool enabled = true) {
    return ScheduleWindow{QUuid::createUuid(), start, end, enabled};
}

} // namespace

class AppStateScheduleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;

    FakeServices& fakes() { return *m_fakes; }
    AppState& state() { return *m_state; }

    void create(const ScheduleWindows& windows, bool scheduleEnabled, int minute) {
        m_state.reset();
        m_fakes->store.values.insert(QStringLiteral("scheduleWindows"),
                                     encodeScheduleWindows(windows));
        m_fakes->store.values.insert(QStringLiteral("scheduleEnabled"), scheduleEnabled);
        m_fakes->store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        m_fakes->clock.setMinute(minute);
        m_state = std::make_unique<AppState>(m_fakes->services(), m_fakes->views());
    }

private slots:
    void init() { m_fakes = std::make_unique<FakeServices>(); }
    void cleanup() {
        m_state.reset();
        m_fakes.reset();
    }

    void switchedOffScheduleAllowsEveryMinute() {
        create({}, false, 720);
        QVERIFY(state().scheduleAllowsListening());
        create({window(720, 840)}, false, 900);
        QVERIFY(state().scheduleAllowsListening());
    }

    void nextStartIgnoresTheSwitch() {
        create({window(1260, 420), window(300, 360)}, false, 1300);
        QCOMPARE(state().nextListeningStartMinutes(), std::optional<qint64>(300));
        fakes().clock.setMinute(1000);
        QCOMPARE(state().nextListeningStartMinutes(), std::optional<qint64>(1260));
    }

    void minutesOfTheLocalDay() {
        create({}, false, 0);
        fakes().clock.current = QDateTime(QDate(2026, 7, 1), QTime(23, 59, 59, 999));
        QCOMPARE(state().currentMinutes(), 1439);
        fakes().clock.current = QDateTime(QDate(2026, 7, 1), QTime(0, 0, 30));
        QCOMPARE(state().currentMinutes(), 0);
        // 20:30 UTC in winter is 21:30 in Berlin.
        QCOMPARE(state().minutes(QDateTime(QDate(2026, 1, 10), QTime(20, 30), Qt::UTC)), 1290);
        QCOMPARE(state().minutes(QDateTime(QDate(2026, 7, 10), QTime(20, 30), Qt::UTC)), 1350);
        QCOMPARE(state().minutes(QDateTime()), 0);
    }

    void timeStringUsesTheShortLocalFormat() {
        create({}, false, 0);
        QCOMPARE(state().timeString(1260), QStringLiteral("21:00"));
        QCOMPARE(state().timeString(0), QStringLiteral("00:00"));
        QCOMPARE(state().timeString(1439), QStringLiteral("23:59"));
        QCOMPARE(state().timeString(425), QStringLiteral("07:05"));
    }

    void timeStringOnTheDayTheClocksChange() {
        create({}, false, 0);
        // Counted in seconds from midnight, 21:00 would read 22:00 on this day.
        fakes().clock.current = QDateTime(QDate(2026, 3, 29), QTime(12, 0));
        QCOMPARE(state().timeString(1260), QStringLiteral("21:00"));
        fakes().clock.current = QDateTime(QDate(2026, 10, 25), QTime(12, 0));
        QCOMPARE(state().timeString(1260), QStringLiteral("21:00"));
    }

    void descriptionOfEnabledWindows() {
        create({window(1260, 420)}, false, 0);
        QCOMPARE(state().scheduleWindowDescription(), QStringLiteral("21:00 \u2013 07:00"));
        create({window(1260, 420), window(60, 90, false), window(720, 840)}, false, 0);
        QCOMPARE(state().scheduleWindowDescription(),
                 QStringLiteral("21:00 \u2013 07:00  \u00B7  12:00 \u2013 14:00"));
    }

    void addAppendsANoonWindowAndStoresIt() {
        create({}, true, 750);
        QCOMPARE(fakes().audioInput.startCalls, 0);
        QSignalSpy changed(&state(), &AppState::scheduleWindowsChanged);

        state().addScheduleWindow();

        QCOMPARE(changed.count(), 1);
        QCOMPARE(state().scheduleWindows().size(), 1);
        const ScheduleWindow added = state().scheduleWindows().first();
        QVERIFY(!added.id.isNull());
        QCOMPARE(added.startMinutes, 720);
        QCOMPARE(added.endMinutes, 840);
        QVERIFY(added.isEnabled);
        const auto stored = decodeScheduleWindows(
            fakes().store.values.value(QStringLiteral("scheduleWindows")).toByteArray());
        QCOMPARE(stored, std::optional<ScheduleWindows>(state().scheduleWindows()));
        // 12:30 now lies in the new window: listening was re-evaluated.
        QVERIFY(state().detectorRunning());

        state().addScheduleWindow();
        QCOMPARE(state().scheduleWindows().size(), 2);
        QVERIFY(state().scheduleWindows().at(1).id != added.id);
    }

    void removeTakesEveryWindowWithTheId() {
        const ScheduleWindow first = window(1260, 60);
        ScheduleWindow twin = window(720, 840);
        const ScheduleWindow kept = window(100, 200);
        ScheduleWindow sameId = window(300, 400);
        sameId.id = twin.id;
        create({first, twin, kept, sameId}, true, 150);
        QVERIFY(state().detectorRunning());

        state().removeScheduleWindow(twin.id);
        QCOMPARE(state().scheduleWindows(), (ScheduleWindows{first, kept}));

        state().removeScheduleWindow(kept.id);
        QCOMPARE(state().scheduleWindows(), ScheduleWindows{first});
        // 02:30 is outside what is left: capture closed.
        QVERIFY(!state().detectorRunning());
        QCOMPARE(fakes().audioInput.stopCalls, 1);
    }

    void removingAnUnknownIdStillWritesAndReevaluates() {
        create({window(1260, 420)}, true, 720);
        QVERIFY(!state().detectorRunning());
        fakes().store.writes.clear();
        // The clock moved into the window without a tick yet; the assignment re-evaluates.
        fakes().clock.setMinute(1300);

        state().removeScheduleWindow(QUuid::createUuid());

        QCOMPARE(state().scheduleWindows().size(), 1);
        QCOMPARE(fakes().store.writes, QStringList{QStringLiteral("scheduleWindows")});
        QVERIFY(state().detectorRunning());
    }
};

QTEST_GUILESS_MAIN(AppStateScheduleTest)
#include "AppStateScheduleTest.moc"
