#pragma once

// A program the tests run, its standard output and error kept in files. Not QProcess: Qt
// starts children with clone(CLONE_VM|CLONE_VFORK), and the child, running in our address
// space through functions ThreadSanitizer intercepts, corrupts what the sanitizer knows of the
// starting thread. glibc's posix_spawn child calls nothing intercepted before exec.

#include <QDeadlineTimer>
#include <QStringList>
#include <QTemporaryFile>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace lullwick::test {

class ChildProcess {
public:
    // Starts the program, looked up on PATH.
    ChildProcess(const QString& program, const QStringList& args) {
        QList<QByteArray> strings;
        std::vector<char*> argv;
        for (const QString& arg : QStringList{program} + args)
            argv.push_back(strings.emplace_back(arg.toLocal8Bit()).data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // Opened apart from ours, the child's offset is its own.
        for (int fd : {1, 2})
            if (m_files[fd - 1].open())
                posix_spawn_file_actions_addopen(
                    &actions, fd, m_files[fd - 1].fileName().toLocal8Bit().constData(), O_WRONLY,
                    0);
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (isStarted() && !m_status && ::kill(m_pid, SIGKILL) == 0)
            wait();
    }
    Q_DISABLE_COPY(ChildProcess)

    bool isStarted() const { return m_pid > 0; }
    bool isRunning() {
        wait(0);
        return isStarted() && !m_status;
    }
    pid_t pid() const { return m_pid; }
    // What it wrote so far.
    QString output() { return written(m_files[0]); }
    QString errors() { return written(m_files[1]); }

    // Its exit status, or -1 when it did not start, was killed or did not end in time.
    int wait(int msecs = 60000) {
        const QDeadlineTimer deadline(msecs);
        for (int status; !m_status && isStarted(); QThread::msleep(5)) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            else if (deadline.hasExpired())
                return -1;
        }
        return m_status.value_or(-1);
    }

private:
    static QString written(QFile& file) {
        return file.seek(0) ? QString::fromUtf8(file.readAll()) : QString();
    }

    pid_t m_pid = 0;
    QTemporaryFile m_files[2];
    std::optional<int> m_status;
};

} // namespace lullwick::test
