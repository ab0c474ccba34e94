// How long the video check holds the GUI thread. Run inside scripts/with-dbus:
//   scripts/with-dbus build/ci/bench/VideoCheckBench
// The target is well under 500 ms however the desktop's services behave.

#include "core/VideoDetector.h"
#include "platform/DBusInhibitorSource.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

using namespace lullwick;

void videoCheck(benchmark::State& state) {
    DBusInhibitorSource source(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            VideoDetector::isVideoPlaying(source.snapshot(), QCoreApplication::applicationPid()));
}

// Owns logind's name on the system bus and never answers.
class SilentLogind {
public:
    SilentLogind() {
        m_process.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QStringLiteral("import dbus, os, time\n"
                                                  "bus = dbus.bus.BusConnection("
                                                  "os.environ['DBUS_SYSTEM_BUS_ADDRESS'])\n"
                                                  "bus.request_name('org.freedesktop.login1')\n"
                                                  "time.sleep(3600)\n")});
        QDeadlineTimer deadline(30000);
        while (!QDBusConnection::systemBus().interface()->isServiceRegistered(
                   QStringLiteral("org.freedesktop.login1")) &&
               !deadline.hasExpired())
            QThread::msleep(20);
    }
    ~SilentLogind() {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

void videoCheckWithSilentLogind(benchmark::State& state) {
    const SilentLogind silent; // started before the timed loop
    videoCheck(state);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").isEmpty()) {
        std::fputs("Run me inside scripts/with-dbus.\n", stderr);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("videoCheck/noServices", videoCheck)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("videoCheck/logindNeverAnswers", videoCheckWithSilentLogind)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
