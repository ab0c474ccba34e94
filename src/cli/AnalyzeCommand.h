#pragma once

#include "core/Settings.h"

#include <QString>
#include <cstdio>

namespace lullwick {

// Analyses a sound file as the live detector would, 1024 frames a buffer, and prints one
// line per event: "clap T" or "double-clap T". Returns the process exit status.
int runAnalyze(const QString& path, Sensitivity sensitivity, std::FILE* out, std::FILE* err);

} // namespace lullwick
