#pragma once

#include <QString>

namespace lullwick {

// Where the application's few log lines go.
class SystemLog {
public:
    virtual ~SystemLog() = default;

    // Writes one line, as given, with no level.
    virtual void write(const QString& line) = 0;
};

} // namespace lullwick
