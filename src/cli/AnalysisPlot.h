#pragma once

#include "core/ClapDetector.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QPainter;

namespace lullwick {

// One picture of a whole analysed recording: per-buffer peak and RMS in dBFS, the noise floor,
// the onset threshold, and a mark for every clap and double clap. Long recordings are shown
// by each pixel column's extremes, so that no buffer is ever left out.
class AnalysisPlot {
public:
    static constexpr double topDb = 0.0;
    static constexpr double bottomDb = -80.0;
    // Marks are drawn in these exact colours, without antialiasing, so they can be found.
    static constexpr QRgb clapColour = 0xff7b2fbf;
    static constexpr QRgb doubleClapColour = 0xff008b8b;
    static constexpr QRgb thresholdColour = 0xffd62728;
    static constexpr QRgb playedSoundColour = 0xff8c8c8c;
    // Height of the band at the top of the plot area that holds the clap marks, and at its
    // bottom the double-clap marks.
    static constexpr int markBand = 12;

    // The threshold's rule is told in the legend from tuning.
    AnalysisPlot(QString title, Tuning tuning);

    // Buffers in order; a buffer covers start … end seconds.
    void addBuffer(double start, double end, const BufferTrace& trace);
    void addClap(double t) { m_claps.push_back(t); }
    void addDoubleClap(double t) { m_doubleClaps.push_back(t); }
    // Onsets not counted because the computer played them: hollow marks in the clap band,
    // and a legend entry for them once this is called.
    void showPlayedSound() { m_showsPlayedSound = true; }
    void addPlayedSound(double t) { m_playedSounds.push_back(t); }

    void paint(QPainter& painter, QSize size) const;
    QImage image(QSize size) const;
    // A PNG, or an SVG when the name ends in ".svg"; false with the reason in error.
    bool save(const QString& path, QSize size, QString* error) const;

    // Where the data goes in a picture of this size.
    static QRect plotArea(QSize size);
    static int yOf(double db, const QRect& area);
    int xOf(double seconds, const QRect& area) const;

private:
    struct Buffer {
        double start;
        double end;
        BufferTrace trace;
    };

    void paintAxes(QPainter& painter, const QRect& area) const;
    void paintLevels(QPainter& painter, const QRect& area) const;
    void paintEvents(QPainter& painter, const QRect& area) const;
    void paintLegend(QPainter& painter) const;
    double duration() const;

    QString m_title;
    Tuning m_tuning;
    std::vector<Buffer> m_buffers;
    std::vector<double> m_claps;
    std::vector<double> m_doubleClaps;
    bool m_showsPlayedSound = false;
    std::vector<double> m_playedSounds;
};

} // namespace lullwick
