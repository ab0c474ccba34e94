#include "SyslogSystemLog.h"

#include <cstdio>
#include <syslog.h>

namespace lullwick {

SyslogSystemLog::SyslogSystemLog() {
    openlog("lullwick", LOG_PID, LOG_USER);
}

SyslogSystemLog::~SyslogSystemLog() {
    closelog();
}

void SyslogSystemLog::write(const QString& line) {
    const QByteArray text = line.toUtf8();
    syslog(LOG_NOTICE, "%s", text.constData());
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}

} // namespace lullwick
