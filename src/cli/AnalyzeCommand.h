#pragma once

#include "core/Settings.h"

#include <QString>
#include <cstdio>

namespace lullwick {

// What `lullwick analyze` prints and draws besides the events.
struct AnalyzeOptions {
    enum class Format { text, jsonl };

    Sensitivity sensitivity = Sensitivity::medium;
    Format format = Format::text;
    // jsonl only: one object per buffer as well, with its levels, floor and threshold.
    bool levels = false;
    // A picture of the whole recording, PNG or (".svg") SVG; none when empty. Drawing text
    // needs a QGuiApplication: one is made offscreen when there is no application object.
    QString plotPath;
    // What the computer played while the file was heard, from its first frame on; any rate
    // and channel count. Onsets it explains do not count; jsonl marks them
    // {"event":"played-sound","t":T} and the plot shows them. None when empty.
    QString referencePath;
};

// Analyses a sound file as the live detector would, in buffers of the same size, and prints one
// line per event: "clap T" or "double-clap T", or in jsonl {"event":"clap","t":T}. A
// progress line goes to err when it is a terminal and the recording is longer than a minute.
// Returns the process exit status.
int runAnalyze(const QString& path, const AnalyzeOptions& options, std::FILE* out, std::FILE* err);
int runAnalyze(const QString& path, Sensitivity sensitivity, std::FILE* out, std::FILE* err);

} // namespace lullwick
