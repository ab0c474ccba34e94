#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringList>

namespace lullwick {

// What the user asked for on the command line.
struct Invocation {
    enum class Mode { tray, analyze, listen, help, version, usageError };

    Mode mode = Mode::tray;
    Sensitivity sensitivity = Sensitivity::medium;
    QString file;
    QString sleepCommand;
    QString sleepFallback;
    bool traceLatency = false;
    bool jsonl = false;    // analyze --format jsonl
    bool levels = false;   // analyze --levels
    QString plotPath;      // analyze --plot
    QString referencePath; // analyze --reference
    bool meter = false;    // listen --meter
    QString error;         // for usageError: what was wrong, in one line
};

// args excludes the program name.
Invocation parseCommandLine(const QStringList& args);

QString usageText();

} // namespace lullwick
