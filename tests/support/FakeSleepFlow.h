#pragma once

#include "app/InhibitorSource.h"
#include "app/SleepAction.h"
#include "app/SoundPlayer.h"

#include <QCoreApplication>
#include <QList>

namespace lullwick {

class FakeSoundPlayer : public SoundPlayer {
public:
    void play(Sound sound) override { played.append(sound); }

    QList<Sound> played;
};

class FakeSleepAction : public SleepAction {
public:
    void sleepNow() override { ++calls; }

    int calls = 0;
};

// Inhibitors the test sets: none at first.
class FakeInhibitorSource : public InhibitorSource {
public:
    std::optional<AssertionSnapshot> snapshot() override {
        ++snapshots;
        return current;
    }

    // Another process keeps the display awake, as a playing video does.
    void playVideo() {
        QVariantMap record{
            {QStringLiteral("AssertType"), QStringLiteral("PreventUserIdleDisplaySleep")}};
        current = AssertionSnapshot{
            {QVariant(QCoreApplication::applicationPid() + 1), QVariantList{record}}};
    }

    std::optional<AssertionSnapshot> current = AssertionSnapshot{};
    int snapshots = 0;
};

} // namespace lullwick
