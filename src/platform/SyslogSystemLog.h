#pragma once

#include "app/SystemLog.h"

namespace lullwick {

// Lines go to syslog (the journal picks them up) and, the same, to stderr.
class SyslogSystemLog : public SystemLog {
public:
    SyslogSystemLog();
    ~SyslogSystemLog() override;

    void write(const QString& line) override;
};

} // namespace lullwick
