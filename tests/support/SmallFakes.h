#pragma once

// The fakes of one or two methods, each recording what it was asked.

#include "app/Clock.h"
#include "app/DesktopNotifier.h"
#include "app/GoodNightPanel.h"
#include "app/SleepAction.h"
#include "app/SoundPlayer.h"
#include "app/SystemLog.h"
#include "app/TrayHost.h"
#include "app/WakeNotifier.h"

#include <QList>
#include <QStringList>

namespace lullwick {

// Local time standing still until the test moves it.
class FakeClock : public Clock {
public:
    QDateTime now() const override { return current; }
    void setMinute(int minute) {
        current = QDateTime(QDate(2026, 1, 15), QTime(minute / 60, minute % 60));
    }

    QDateTime current{QDate(2026, 1, 15), QTime(12, 0)};
};

class FakeDesktopNotifier : public DesktopNotifier {
public:
    void notify(const QString& summary, const QString& body) override {
        shown.append(summary + u'\n' + body);
    }

    QStringList shown;
};

class FakeGoodNightPanel : public GoodNightPanel {
public:
    void show() override { ++shows, showing = true; }
    void close() override { showing = false; }

    int shows = 0;
    bool showing = false;
};

class FakeSleepAction : public SleepAction {
public:
    void sleepNow() override { ++calls; }

    int calls = 0;
};

class FakeSoundPlayer : public SoundPlayer {
public:
    void play(Sound sound) override { played.append(sound); }

    QList<Sound> played;
};

class FakeSystemLog : public SystemLog {
public:
    void write(const QString& line) override { lines.append(line); }

    QStringList lines;
};

// A tray host that answers when the test says so.
class FakeTrayHost : public TrayHost {
public:
    void waitForHost(std::chrono::milliseconds limit) override { waitedFor = limit; }
    void answer(bool found) { emit ready(found); }

    std::chrono::milliseconds waitedFor{-1};
};

class FakeWakeNotifier : public WakeNotifier {
    Q_OBJECT

public:
    void wake() { emit systemDidWake(); }
};

} // namespace lullwick
