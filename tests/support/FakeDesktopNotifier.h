#pragma once

#include "app/DesktopNotifier.h"

#include <QStringList>

namespace lullwick {

class FakeDesktopNotifier : public DesktopNotifier {
public:
    void notify(const QString& summary, const QString& body) override {
        shown.append(summary + u'\n' + body);
    }

    QStringList shown;
};

} // namespace lullwick
