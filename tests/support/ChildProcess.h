#pragma once

// A program the tests run, with its standard output and error on pipes. Not QProcess: Qt
// starts children with clone(CLONE_VM|CLONE_VFORK), and the child, running in our address
// space through functions ThreadSanitizer intercepts, corrupts what the sanitizer knows of the
// starting thread. glibc's posix_spawn child calls nothing intercepted before exec.

#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace lullwick::test {

class ChildProcess {
public:
    // Starts the program, looked up on PATH.
    ChildProcess(const QString& program, const QStringList& args) {
        QList<QByteArray> strings{program.toLocal8Bit()};
        for (const QString& arg : args)
            strings.append(arg.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& string : strings)
            argv.push_back(string.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipes[2][2];
        for (int fd : {1, 2}) {
            if (pipe2(pipes[fd - 1], O_CLOEXEC) != 0)
                return;
            m_fds[fd - 1] = pipes[fd - 1][0];
            fcntl(m_fds[fd - 1], F_SETFL, O_NONBLOCK);
            posix_spawn_file_actions_adddup2(&actions, pipes[fd - 1][1], fd);
        }
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        for (const auto& pipe : pipes)
            ::close(pipe[1]);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        kill();
        for (int fd : m_fds)
            ::close(fd);
    }

    bool isStarted() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // What it wrote so far.
    QString output() { return drain(0); }
    QString errors() { return drain(1); }

    // Its exit status, or -1 when it did not start, was killed or did not end in time.
    int wait(int msecs = 60000) {
        const QDeadlineTimer deadline(msecs);
        int status = 0;
        while (!m_status && isStarted()) {
            drain(0); // a full pipe would block it
            drain(1);
            if (waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            else if (deadline.hasExpired())
                return -1;
            else
                QThread::msleep(5);
        }
        return m_status.value_or(-1);
    }
    void kill() {
        if (isStarted() && !m_status && ::kill(m_pid, SIGKILL) == 0)
            wait();
    }

private:
    QString drain(int channel) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_fds[channel], buffer, sizeof buffer)) > 0;)
            m_read[channel].append(buffer, n);
        return QString::fromUtf8(m_read[channel]);
    }

    pid_t m_pid = 0;
    int m_fds[2] = {-1, -1};
    QByteArray m_read[2];
    std::optional<int> m_status;
};

} // namespace lullwick::test
