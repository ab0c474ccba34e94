#pragma once

#include "core/LevelTap.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace lullwick {

// A line at the bottom of a terminal, redrawn ten times a second: the loudest peak since the
// last redraw as a bar against the noise floor (':') and the onset threshold ('|'), and the
// three in dBFS. Lines written to lines() appear above it.
class LevelMeter : public QObject {
    Q_OBJECT

public:
    static constexpr int redrawMs = 100;

    // A meter drawing on out, or none when out is not a terminal.
    static std::unique_ptr<LevelMeter> onTerminal(std::FILE* out);
    ~LevelMeter() override;

    // Where the audio thread publishes what the analysis saw.
    LevelTap& tap() { return m_tap; }
    // A stream for the event lines: writing erases the meter, which is drawn again below.
    std::FILE* lines() const { return m_lines; }

    // Takes a fresh reading and draws it.
    void redraw();

    // The meter's text for a terminal of the given width.
    static QString text(const LevelTap::Reading& reading, int columns);

private:
    explicit LevelMeter(std::FILE* out);
    void draw();
    void erase();
    static ssize_t writeLines(void* cookie, const char* data, std::size_t size);

    std::FILE* m_out;
    std::FILE* m_lines = nullptr;
    LevelTap m_tap;
    LevelTap::Reading m_reading;
    bool m_drawn = false;
    QTimer m_timer;
};

} // namespace lullwick
