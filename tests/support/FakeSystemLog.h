#pragma once

#include "app/SystemLog.h"

#include <QStringList>

namespace lullwick {

class FakeSystemLog : public SystemLog {
public:
    void write(const QString& line) override { lines.append(line); }

    QStringList lines;
};

} // namespace lullwick
