#pragma once

#include "core/Settings.h"

#include <cstdio>

namespace lullwick {

// Listens to the default microphone until SIGINT or SIGTERM and prints what the detector
// hears: "listening on <source> (<rate> Hz, <channels> ch)", then "clap HH:MM:SS.mmm" and
// "double-clap HH:MM:SS.mmm" in local time. Restarts capture 0.5 s after an audio
// configuration change, as the application does. Needs a QCoreApplication; returns the exit
// status (1 when there is no microphone). With meter and out a terminal, a level meter is
// drawn under the event lines.
int runListen(Sensitivity sensitivity, bool meter, std::FILE* out, std::FILE* err);

} // namespace lullwick
