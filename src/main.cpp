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
#include "platform/DisplayStartup.h"
#include "platform/FilePreferencesStore.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/InstanceLock.h"
#include "platform/LogindWakeNotifier.h"
#include "platform/PulseAudioInput.h"
#include "platform/QtTimers.h"
#include "platform/QuitOnSignals.h"
#include "platform/SessionBus.h"
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
#include <QLocale>
#include <cstdio>
#include <optional>

namespace {

using namespace lullwick;

// Plain file paths only: no shell, no search path. Not given is fine.
bool checkProgram(const QString& option, const QString& path) {
    if (path.isEmpty())
        return true;
    const std::optional<QString> problem = Sleeper::problemWith(path);
    if (!problem)
        return true;
    std::fprintf(stderr, "lullwick: %s %s %s\n", qPrintable(option), qPrintable(path),
                 qPrintable(*problem));
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

    InstanceLock lock;
    switch (lock.tryLock()) {
    case InstanceLock::Outcome::locked:
        break;
    case InstanceLock::Outcome::heldByAnother: {
        // The running copy comes to the front, as a launcher would have it.
        QCoreApplication core(argc, argv);
        DBusApplicationService::activateRunning(sessionBus());
        std::fprintf(stderr, "Lullwick is already running.\n");
        return 1;
    }
    case InstanceLock::Outcome::failed:
        std::fprintf(stderr, "Lullwick: cannot create the lock file %s\n", qPrintable(lock.path()));
        return 1;
    }

    if (!chooseDisplayPlatform())
        return 1;
    QuietDisplayStart quiet;
    QApplication app(argc, argv);
    quiet.end();
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
                     [&lullwick] { lullwick.onboarding().show(SetupPage::welcome); });
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
