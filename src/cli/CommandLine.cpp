#include "CommandLine.h"

namespace lullwick {
namespace {

Invocation usageError(const QString& message) {
    Invocation invocation;
    invocation.mode = Invocation::Mode::usageError;
    invocation.error = message;
    return invocation;
}

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: lullwick [--sleep-command PROGRAM [--sleep-fallback PROGRAM]]\n"
        "       lullwick analyze [--sensitivity low|medium|high] [--format text|jsonl [--levels]]\n"
        "                        [--plot OUT.png|OUT.svg] [--reference PLAYED] FILE\n"
        "       lullwick listen [--sensitivity low|medium|high] [--meter]\n"
        "       lullwick --help | --version\n"
        "\n"
        "Without a command, Lullwick starts in the system tray and puts the computer to\n"
        "sleep when you clap twice.\n"
        "\n"
        "Commands:\n"
        "  analyze FILE             print the claps and double claps heard in a sound file\n"
        "                           (WAV, FLAC, Ogg), one line each: clap T, double-clap T\n"
        "  listen                   listen to the default microphone until interrupted and\n"
        "                           print each clap and double clap with its local time,\n"
        "                           and as played-sound each onset the computer played\n"
        "Options:\n"
        "  --sensitivity LEVEL      low, medium (default) or high\n"
        "  --format jsonl           analyze: one JSON object per event, "
        "{\"event\":\"clap\",\"t\":T}\n"
        "  --levels                 with jsonl: one object per buffer as well, with t, peak,\n"
        "                           rms, floor, threshold (linear, 1.0 = full scale) and crest\n"
        "  --plot FILE              analyze: draw levels, noise floor, onset threshold and\n"
        "                           events over time into a PNG or SVG picture\n"
        "  --reference PLAYED       analyze: FILE was heard while the computer played PLAYED\n"
        "                           (from the same moment); onsets that PLAYED explains\n"
        "                           do not count and print as played-sound T\n"
        "  --meter                  listen: on a terminal, a live level meter under the events\n"
        "  --sleep-command PROGRAM  run PROGRAM (an absolute path) instead of systemctl suspend\n"
        "  --sleep-fallback PROGRAM run PROGRAM when the sleep command fails\n"
        "  --trace-latency          print when a double clap is heard and when the\n"
        "                           good-night card is drawn (steady clock, ns)\n"
        "  --help                   show this help\n"
        "  --version                show the version\n");
}

Invocation parseCommandLine(const QStringList& args) {
    Invocation invocation;
    qsizetype i = 0;
    if (!args.isEmpty() && args[0] == QLatin1String("analyze")) {
        invocation.mode = Invocation::Mode::analyze;
        ++i;
    } else if (!args.isEmpty() && args[0] == QLatin1String("listen")) {
        invocation.mode = Invocation::Mode::listen;
        ++i;
    }
    // Takes the value of an option given as "--name VALUE" or "--name=VALUE".
    auto optionValue = [&](const QString& arg, const QString& name, QString* value) {
        if (arg == name) {
            if (i + 1 >= args.size())
                return false;
            *value = args[++i];
            return true;
        }
        *value = arg.mid(name.size() + 1);
        return true;
    };
    auto isOption = [](const QString& arg, const char* name) {
        const QLatin1String n(name);
        return arg == n || (arg.startsWith(n) && arg.size() > n.size() && arg[n.size()] == u'=');
    };

    for (; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString value;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            invocation.mode = Invocation::Mode::help;
            return invocation;
        }
        if (arg == QLatin1String("--version")) {
            invocation.mode = Invocation::Mode::version;
            return invocation;
        }
        if (isOption(arg, "--sensitivity") && (invocation.mode == Invocation::Mode::analyze ||
                                               invocation.mode == Invocation::Mode::listen)) {
            if (!optionValue(arg, QStringLiteral("--sensitivity"), &value))
                return usageError(QStringLiteral("--sensitivity needs a value"));
            const auto sensitivity = sensitivityFromRaw(value.toStdString());
            if (!sensitivity)
                return usageError(
                    QStringLiteral("unknown sensitivity \"%1\" (low, medium or high)").arg(value));
            invocation.sensitivity = *sensitivity;
        } else if (isOption(arg, "--format") && invocation.mode == Invocation::Mode::analyze) {
            if (!optionValue(arg, QStringLiteral("--format"), &value))
                return usageError(QStringLiteral("--format needs a value"));
            if (value != QLatin1String("text") && value != QLatin1String("jsonl"))
                return usageError(
                    QStringLiteral("unknown format \"%1\" (text or jsonl)").arg(value));
            invocation.jsonl = value == QLatin1String("jsonl");
        } else if (arg == QLatin1String("--levels") &&
                   invocation.mode == Invocation::Mode::analyze) {
            invocation.levels = true;
        } else if (isOption(arg, "--plot") && invocation.mode == Invocation::Mode::analyze) {
            if (!optionValue(arg, QStringLiteral("--plot"), &value))
                return usageError(QStringLiteral("--plot needs a file"));
            if (!value.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
                !value.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
                return usageError(QStringLiteral("--plot needs a .png or .svg file"));
            invocation.plotPath = value;
        } else if (isOption(arg, "--reference") && invocation.mode == Invocation::Mode::analyze) {
            if (!optionValue(arg, QStringLiteral("--reference"), &value) || value.isEmpty())
                return usageError(QStringLiteral("--reference needs a file"));
            invocation.referencePath = value;
        } else if (arg == QLatin1String("--meter") && invocation.mode == Invocation::Mode::listen) {
            invocation.meter = true;
        } else if (isOption(arg, "--sleep-command") && invocation.mode == Invocation::Mode::tray) {
            if (!optionValue(arg, QStringLiteral("--sleep-command"), &value))
                return usageError(QStringLiteral("--sleep-command needs a program"));
            invocation.sleepCommand = value;
        } else if (isOption(arg, "--sleep-fallback") && invocation.mode == Invocation::Mode::tray) {
            if (!optionValue(arg, QStringLiteral("--sleep-fallback"), &value))
                return usageError(QStringLiteral("--sleep-fallback needs a program"));
            invocation.sleepFallback = value;
        } else if (arg == QLatin1String("--trace-latency") &&
                   invocation.mode == Invocation::Mode::tray) {
            invocation.traceLatency = true;
        } else if (arg.startsWith(u'-') && arg != QLatin1String("-")) {
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        } else if (invocation.mode == Invocation::Mode::analyze && invocation.file.isEmpty()) {
            invocation.file = arg;
        } else {
            return usageError(QStringLiteral("unexpected argument %1").arg(arg));
        }
    }
    if (invocation.mode == Invocation::Mode::analyze && invocation.file.isEmpty())
        return usageError(QStringLiteral("analyze needs a FILE"));
    if (invocation.levels && !invocation.jsonl)
        return usageError(QStringLiteral("--levels needs --format jsonl"));
    return invocation;
}

} // namespace lullwick
