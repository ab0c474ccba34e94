#pragma once

#include "SleepAction.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace lullwick {

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

    Sleeper(Command primary, Command fallback, QObject* parent = nullptr);

    // Starts the primary command and returns without waiting. The fallback runs at most once
    // per call: at once when the primary cannot be started, or when it exits non-zero or by a
    // signal. The fallback's own outcome is ignored.
    void sleepNow() override;

    const Command& primary() const { return m_primary; }
    const Command& fallback() const { return m_fallback; }

private:
    // A child set up to run command, or none when the program cannot be started.
    QProcess* prepare(const Command& command);
    void runFallback();

    Command m_primary;
    Command m_fallback;
};

} // namespace lullwick
