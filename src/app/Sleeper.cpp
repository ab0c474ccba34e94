#include "Sleeper.h"

#include "SystemLog.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <utility>

namespace lullwick {

Sleeper::Sleeper(Command primary, std::optional<Command> fallback, SystemLog& log, QObject* parent)
    : QObject(parent), m_primary(std::move(primary)), m_fallback(std::move(fallback)), m_log(log) {}

std::optional<QString> Sleeper::problemWith(const QString& program) {
    const QFileInfo info(program);
    if (!QDir::isAbsolutePath(program))
        return QStringLiteral("is not an absolute path");
    if (!info.exists())
        return QStringLiteral("does not exist");
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("is not an executable file");
    return std::nullopt;
}

QProcess* Sleeper::prepare(const Command& command) {
    // A missing or non-executable file is known before forking: the caller learns it at once
    // instead of from a start failure reported later.
    if (problemWith(command.program))
        return nullptr;
    auto* process = new QProcess(this);
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    return process;
}

void Sleeper::sleepNow() {
    QProcess* process = prepare(m_primary);
    if (!process) {
        primaryFailed(QStringLiteral("cannot be run"));
        return;
    }
    // A start failure noticed by the child (a bad interpreter, say) and an exit are never
    // both reported, but the flag keeps the fallback at one per call whatever arrives.
    auto settled = std::make_shared<bool>(false);
    auto settle = [this, process, settled](const QString& failure) {
        if (std::exchange(*settled, true))
            return;
        process->deleteLater();
        if (!failure.isEmpty())
            primaryFailed(failure);
    };
    connect(process, &QProcess::finished, this,
            [settle](int exitCode, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit)
                    settle(QStringLiteral("was killed by a signal"));
                else if (exitCode != 0)
                    settle(QStringLiteral("exited with status %1").arg(exitCode));
                else
                    settle({});
            });
    connect(process, &QProcess::errorOccurred, this, [settle](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            settle(QStringLiteral("could not be started"));
    });
    process->start();
}

void Sleeper::primaryFailed(const QString& reason) {
    m_log.write(QStringLiteral("Lullwick: sleep command %1 %2; %3")
                    .arg(m_primary.program, reason,
                         m_fallback ? QStringLiteral("running %1").arg(m_fallback->program)
                                    : QStringLiteral("no fallback, the computer stays awake")));
    if (m_fallback)
        runFallback();
}

void Sleeper::runFallback() {
    QProcess* process = prepare(*m_fallback);
    if (!process)
        return;
    // The outcome is never read; these only reap the child and free its handle.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->start();
}

} // namespace lullwick
