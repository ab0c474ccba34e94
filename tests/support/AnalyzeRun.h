#pragma once

#include "cli/AnalyzeCommand.h"

#include <QFile>

namespace lullwick {

// One run of the analyze command on a file, with options or only a sensitivity: its exit
// status, what it printed and what it complained of.
struct AnalyzeRun {
    int status = 0;
    QString out, err;

    template <typename Settings> AnalyzeRun(const QString& path, const Settings& settings) {
        std::FILE* streams[] = {std::tmpfile(), std::tmpfile()};
        status = runAnalyze(path, settings, streams[0], streams[1]);
        for (QString* text : {&out, &err}) {
            std::FILE* stream = streams[text == &err];
            std::rewind(stream);
            QFile file;
            file.open(stream, QIODevice::ReadOnly, QFile::AutoCloseHandle);
            *text = QString::fromUtf8(file.readAll());
        }
    }
};

} // namespace lullwick
