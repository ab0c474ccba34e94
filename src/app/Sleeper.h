#pragma once

#include "SleepAction.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace lullwick {

class SystemLog;

// Puts the computer to sleep by running a command, and a second one when the first cannot be
// started or fails. There are no default commands: the machine's own suspend is known only to
// the composition root, so nothing built for tests can reach it.
class Sleeper : public QObject, public SleepAction {
    Q_OBJECT

public:
    // An executable with its argument vector; run directly, without a shell.
    struct Command {
        QString program; // absolute path; anything else counts as not startable
        QStringList arguments;
    };

    // Without a fallback, a failed primary ends the attempt.
    Sleeper(Command primary, std::optional<Command> fallback, SystemLog& log,
            QObject* parent = nullptr);

    // Starts the primary command and returns without waiting. The fallback runs at most once
    // per call: at once when the primary cannot be started, or when it exits non-zero or by a
    // signal. A failed primary is logged in one line; the fallback's own outcome is ignored.
    void sleepNow() override;

    // Why program cannot be run as a command: "is not an absolute path", "does not exist" or
    // "is not an executable file"; nothing when it can. A bare name is never looked up in PATH.
    static std::optional<QString> problemWith(const QString& program);

    const Command& primary() const { return m_primary; }
    const std::optional<Command>& fallback() const { return m_fallback; }

private:
    // A child set up to run command, or none when the program cannot be started.
    QProcess* prepare(const Command& command);
    void primaryFailed(const QString& reason);
    void runFallback();

    Command m_primary;
    std::optional<Command> m_fallback;
    SystemLog& m_log;
};

} // namespace lullwick
