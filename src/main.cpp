// Composition root: parses the command line, then runs a headless command or the tray
// application with the Linux implementations of the platform services.

#include "app/Sleeper.h"
#include "cli/AnalyzeCommand.h"
#include "cli/CommandLine.h"
#include "cli/ListenCommand.h"
#include "platform/AppIdentity.h"
#include "platform/CanberraSoundPlayer.h"
#include "platform/DBusApplicationService.h"
#include "platform/DBusInhibitorSource.h"
#include "platform/FilePreferencesStore.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/LogindWakeNotifier.h"
#include "platform/PulseAudioInput.h"
#include "platform/QtTimers.h"
#include "platform/QuitOnSignals.h"
#include "platform/StoredMicrophonePermission.h"
#include "platform/SyslogSystemLog.h"
#include "platform/SystemClock.h"
#include "platform/TrayHostWatcher.h"
#include "platform/XdgAutostartLoginItem.h"
#include "ui/LullwickApp.h"
#include "ui/MicrophoneQuestion.h"
#include "ui/OnboardingWindowController.h"
#include "ui/PictureFolder.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace {

using namespace lullwick;

QString g_display;
QtMessageHandler g_previousHandler = nullptr;

// While the platform plugin starts, Qt reports a missing display as a page of warnings and
// an abort; the user gets one line and a plain exit instead.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "Lullwick: cannot connect to the display \"%s\"; the tray application "
                     "needs a running desktop session.\n",
                     qPrintable(g_display));
        std::fflush(stderr);
        _exit(1);
    }
    if (QByteArray(context.category ? context.category : "").startsWith("qt.qpa"))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

// Plain file paths only: no shell, no search path.
bool checkProgram(const QString& option, const QString& path) {
    if (path.isEmpty())
        return true;
    const QFileInfo info(path);
    const char* problem = nullptr;
    if (!QDir::isAbsolutePath(path))
        problem = "is not an absolute path";
    else if (!info.exists())
        problem = "does not exist";
    else if (!info.isFile() || !info.isExecutable())
        problem = "is not an executable file";
    if (!problem)
        return true;
    std::fprintf(stderr, "lullwick: %s %s %s\n", qPrintable(option), qPrintable(path), problem);
    return false;
}

// The machine's own suspend is named only here. A program given on the command line runs
// bare, in place of the whole system command.
Sleeper::Command sleepCommand(const QString& program, const char* systemProgram) {
    if (program.isEmpty())
        return {QString::fromLatin1(systemProgram), {QStringLiteral("suspend")}};
    return {program, {}};
}

// A lock or hibernate script of the user's that fails must not end in a suspend: the system's
// fallback only backs up the system's own command. loginctl serves systems without systemd.
std::optional<Sleeper::Command> sleepFallback(const Invocation& invocation) {
    if (!invocation.sleepCommand.isEmpty() && invocation.sleepFallback.isEmpty())
        return std::nullopt;
    return sleepCommand(invocation.sleepFallback, "/usr/bin/loginctl");
}

// The session bus where there is one. With none announced, libdbus would launch a stray bus
// of its own for us (X11 autolaunch); the usual systemd place is tried instead.
QDBusConnection sessionBus() {
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return QDBusConnection::sessionBus();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + QStringLiteral("/bus");
    if (runtime.isEmpty() || !QFileInfo(socket).exists())
        return QDBusConnection(QStringLiteral("lullwick-no-session-bus"));
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=") + socket,
                                         QStringLiteral("lullwick-session"));
}

QString lockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/lullwick-%1.lock").arg(getuid());
}

// What the autostart entry passes on, so that the next login sleeps the same way.
QStringList sleepArguments(const Invocation& invocation) {
    QStringList arguments;
    if (!invocation.sleepCommand.isEmpty())
        arguments << QStringLiteral("--sleep-command") << invocation.sleepCommand;
    if (!invocation.sleepFallback.isEmpty())
        arguments << QStringLiteral("--sleep-fallback") << invocation.sleepFallback;
    return arguments;
}

// A broken installation is said once at start; the views draw stand-ins for what is missing.
void reportMissingPictures() {
    for (const QString& path : PictureFolder::missing(PictureFolder::find()))
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                                    "main", "Lullwick: picture %1 is missing; a stand-in is drawn.")
                                    .arg(path)));
}

int runTray(const Invocation& invocation, int& argc, char** argv) {
    if (!checkProgram(QStringLiteral("--sleep-command"), invocation.sleepCommand) ||
        !checkProgram(QStringLiteral("--sleep-fallback"), invocation.sleepFallback))
        return 2;
    reportMissingPictures();

    QLockFile lock(lockPath());
    lock.setStaleLockTime(0); // stale only when its process is gone, however old
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError) {
            // The running copy comes to the front, as a launcher would have it.
            QCoreApplication core(argc, argv);
            DBusApplicationService::activateRunning(sessionBus());
            std::fprintf(stderr, "Lullwick is already running.\n");
        } else {
            std::fprintf(stderr, "Lullwick: cannot create the lock file %s\n",
                         qPrintable(lockPath()));
        }
        return 1;
    }

    // Plain Wayland cannot place or raise the floating panels; XWayland can.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("xcb"))) {
        g_display = qEnvironmentVariable("DISPLAY");
        if (g_display.isEmpty()) {
            std::fprintf(stderr, "Lullwick: no display (DISPLAY is not set); the tray "
                                 "application needs a running desktop session.\n");
            return 1;
        }
    }

    g_previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    QApplication::setApplicationName(QStringLiteral("Lullwick"));
    QApplication::setApplicationVersion(QStringLiteral(LULLWICK_VERSION));
    QApplication::setDesktopFileName(QLatin1String(appId));
    // A tray application: closing any window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Before any view exists: texts are translated as they are made.
    Translations::install(app, QLocale::system().uiLanguages(), Translations::folder());

    SyslogSystemLog log;
    FilePreferencesStore store(FilePreferencesStore::defaultPath(),
                               [&log](const QString& line) { log.write(line); });
    MicrophoneQuestion question;
    StoredMicrophonePermission microphone(
        store, [&question](std::function<void(bool)> reply) { question.ask(std::move(reply)); });
    XdgAutostartLoginItem loginItem(
        XdgAutostartLoginItem::defaultEntryPath(),
        XdgAutostartLoginItem::startProgram(QCoreApplication::applicationFilePath(),
                                            QStringLiteral(LULLWICK_INSTALLED_PROGRAM)),
        sleepArguments(invocation));
    // loginctl serves systems without systemd (elogind).
    Sleeper sleeper(sleepCommand(invocation.sleepCommand, "/usr/bin/systemctl"),
                    sleepFallback(invocation), log);
    PulseAudioInput audioInput;
    LogindWakeNotifier wake;
    SystemClock clock;
    CanberraSoundPlayer sounds;
    DBusInhibitorSource inhibitors(QDBusConnection::systemBus(), sessionBus());
    QtTimers timers;
    LullwickApp lullwick(AppServices{store, log, microphone, loginItem, audioInput, wake, clock,
                                     sounds, inhibitors, sleeper, timers});
    if (invocation.traceLatency)
        lullwick.traceLatency();

    const QDBusConnection session = sessionBus();
    DBusApplicationService application(session);
    QObject::connect(&application, &DBusApplicationService::activated, &lullwick,
                     [&lullwick] { lullwick.onboarding().show(0); });
    application.registerService();
    TrayHostWatcher trayHost(session, timers);
    FreedesktopNotifier notifier(session);
    lullwick.showTrayIconWhenReady(trayHost, notifier);
    QuitOnSignals quitOnSignals;
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    const Invocation invocation = parseCommandLine(args);
    switch (invocation.mode) {
    case Invocation::Mode::help:
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    case Invocation::Mode::version:
        std::printf("lullwick %s\n", LULLWICK_VERSION);
        return 0;
    case Invocation::Mode::usageError:
        std::fprintf(stderr, "lullwick: %s\n%s", qPrintable(invocation.error),
                     qPrintable(usageText().section(u'\n', 0, 3) + u'\n'));
        std::fprintf(stderr, "Try 'lullwick --help' for more.\n");
        return 2;
    case Invocation::Mode::analyze:
        return runAnalyze(
            invocation.file,
            {invocation.sensitivity,
             invocation.jsonl ? AnalyzeOptions::Format::jsonl : AnalyzeOptions::Format::text,
             invocation.levels, invocation.plotPath, invocation.referencePath},
            stdout, stderr);
    case Invocation::Mode::listen: {
        QCoreApplication app(argc, argv);
        return runListen(invocation.sensitivity, invocation.meter, stdout, stderr);
    }
    case Invocation::Mode::tray:
        break;
    }
    return runTray(invocation, argc, argv);
}
