#pragma once

#include "app/InhibitorSource.h"

#include <QCoreApplication>

namespace lullwick {

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
