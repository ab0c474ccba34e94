#include "AnalysisPlot.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace lullwick {
namespace {

constexpr QRgb background = 0xffffffff;
constexpr QRgb peakColour = 0xffaecbe8;
constexpr QRgb rmsColour = 0xff1f4e99;
constexpr QRgb floorColour = 0xffe08a00;
constexpr QRgb clapLineColour = 0xffc6a6e6;
constexpr QRgb cooldownColour = 0xffe6e6e6;
constexpr QRgb gridColour = 0xffdddddd;
constexpr QRgb frameColour = 0xff777777;
constexpr QRgb textColour = 0xff222222;

constexpr int marginLeft = 76;
constexpr int marginRight = 24;
constexpr int marginTop = 72;
constexpr int marginBottom = 58;
constexpr int markHalfWidth = 5;
// Below this many pixels per clap the lines down from the marks would hide the levels.
constexpr int clapLineSpacing = 8;

QString tr(const char* text) {
    return QCoreApplication::translate("AnalysisPlot", text);
}

double dbOf(float level) {
    return level > 0.0f ? 20.0 * std::log10(static_cast<double>(level))
                        : -std::numeric_limits<double>::infinity();
}

QString dbText(double db) {
    return QString::number(db, 'f', 1).replace(u'-', QChar(0x2212));
}

// A round tick step that puts at most about a dozen ticks on the time axis.
double timeStep(double duration) {
    static constexpr std::array steps{0.1,   0.2,    0.25,   0.5,    1.0,    2.0,   5.0,
                                      10.0,  15.0,   30.0,   60.0,   120.0,  300.0, 600.0,
                                      900.0, 1800.0, 3600.0, 7200.0, 14400.0};
    for (const double step : steps) {
        if (duration / step <= 12.0)
            return step;
    }
    return std::ceil(duration / 12.0 / 3600.0) * 3600.0;
}

QString timeText(double seconds, double step, double duration) {
    if (duration < 120.0) {
        const int decimals = step >= 1.0 ? 0 : (std::fmod(step * 10.0, 1.0) == 0.0 ? 1 : 2);
        return QString::number(seconds, 'f', decimals);
    }
    const auto whole = static_cast<long long>(std::llround(seconds));
    const QChar zero(u'0');
    if (duration < 3600.0)
        return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, zero);
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, zero)
        .arg(whole % 60, 2, 10, zero);
}

QString timeAxisTitle(double duration) {
    if (duration < 120.0)
        return tr("time (s)");
    if (duration < 3600.0)
        return tr("time (m:ss)");
    return tr("time (h:mm:ss)");
}

// The extremes of one level within one pixel column, joined to the previous column.
struct ColumnRange {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double last = 0.0;
    bool hasLast = false;

    void startColumn() {
        low = hasLast ? last : std::numeric_limits<double>::infinity();
        high = hasLast ? last : -std::numeric_limits<double>::infinity();
    }
    void add(double db) {
        low = std::min(low, db);
        high = std::max(high, db);
        last = db;
        hasLast = true;
    }
};

void fillColumn(QPainter& painter, int x, const ColumnRange& range, QRgb colour,
                const QRect& area) {
    const int top = AnalysisPlot::yOf(range.high, area) - 1;
    const int bottom = AnalysisPlot::yOf(range.low, area) + 1;
    painter.fillRect(x, top, 1, bottom - top + 1, QColor::fromRgb(colour));
}

QFont pixelFont(const QPainter& painter, int pixels, bool bold = false) {
    QFont font = painter.font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

AnalysisPlot::AnalysisPlot(QString title, Tuning tuning)
    : m_title(std::move(title)), m_tuning(tuning) {}

void AnalysisPlot::addBuffer(double start, double end, const BufferTrace& trace) {
    m_buffers.push_back({start, end, trace});
}

double AnalysisPlot::duration() const {
    return m_buffers.empty() ? 1.0 : std::max(m_buffers.back().end, 1e-3);
}

QRect AnalysisPlot::plotArea(QSize size) {
    return {marginLeft, marginTop, size.width() - marginLeft - marginRight,
            size.height() - marginTop - marginBottom};
}

int AnalysisPlot::yOf(double db, const QRect& area) {
    const double clamped = std::clamp(db, bottomDb, topDb);
    const double fraction = (topDb - clamped) / (topDb - bottomDb);
    return area.top() + static_cast<int>(std::lround(fraction * (area.height() - 1)));
}

int AnalysisPlot::xOf(double seconds, const QRect& area) const {
    const double column = std::floor(seconds / duration() * area.width());
    return area.left() + std::clamp(static_cast<int>(column), 0, area.width() - 1);
}

QImage AnalysisPlot::image(QSize size) const {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(background);
    QPainter painter(&picture);
    paint(painter, size);
    return picture;
}

bool AnalysisPlot::save(const QString& path, QSize size, QString* error) const {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&bytes);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        // The size is written in millimetres; browsers take 96 pixels to the inch.
        svg.setResolution(96);
        svg.setTitle(m_title);
        QPainter painter(&svg);
        paint(painter, size);
    } else if (!image(size).save(&bytes, "PNG")) {
        *error = tr("cannot encode the picture");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data()) != bytes.size() ||
        !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

void AnalysisPlot::paint(QPainter& painter, QSize size) const {
    const QRect area = plotArea(size);
    painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(background));
    painter.setPen(QColor::fromRgb(textColour));
    painter.setFont(pixelFont(painter, 18, true));
    painter.drawText(QRect(marginLeft, 6, size.width() - marginLeft - marginRight, 28),
                     Qt::AlignLeft | Qt::AlignVCenter, m_title);
    paintLegend(painter);

    painter.save();
    painter.setClipRect(area);
    for (const double t : m_doubleClaps) {
        const int left = xOf(t, area);
        const int right = xOf(t + ClapDetector::triggerCooldown, area);
        painter.fillRect(left, area.top(), std::max(right - left, 1), area.height(),
                         QColor::fromRgb(cooldownColour));
    }
    painter.restore();
    paintAxes(painter, area);
    painter.save();
    painter.setClipRect(area);
    paintLevels(painter, area);
    paintEvents(painter, area);
    painter.restore();
    painter.setPen(QColor::fromRgb(frameColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void AnalysisPlot::paintAxes(QPainter& painter, const QRect& area) const {
    painter.setFont(pixelFont(painter, 13));
    const QFontMetrics metrics(painter.font());
    for (double db = topDb; db >= bottomDb; db -= 10.0) {
        const int y = yOf(db, area);
        painter.setPen(QColor::fromRgb(gridColour));
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(QColor::fromRgb(textColour));
        painter.drawText(QRect(0, y - 10, area.left() - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(static_cast<int>(db)).replace(u'-', QChar(0x2212)));
    }
    const double total = duration();
    const double step = timeStep(total);
    for (double t = 0.0; t <= total + step * 1e-9; t += step) {
        const int x = area.left() + static_cast<int>(std::lround(t / total * (area.width() - 1)));
        painter.setPen(QColor::fromRgb(gridColour));
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(QColor::fromRgb(textColour));
        painter.drawText(QRect(x - 40, area.bottom() + 4, 80, 18), Qt::AlignHCenter | Qt::AlignTop,
                         timeText(t, step, total));
    }
    painter.drawText(QRect(area.left(), area.bottom() + 22, area.width(), 20),
                     Qt::AlignHCenter | Qt::AlignTop, timeAxisTitle(total));
    painter.save();
    painter.translate(14, area.center().y());
    painter.rotate(-90.0);
    painter.drawText(QRect(-area.height() / 2, -10, area.height(), 20), Qt::AlignCenter,
                     tr("level (dBFS)"));
    painter.restore();
}

void AnalysisPlot::paintLevels(QPainter& painter, const QRect& area) const {
    const double total = duration();
    const auto columns = static_cast<std::size_t>(area.width());
    ColumnRange rms, noiseFloor, threshold;
    std::size_t first = 0;
    for (std::size_t column = 0; column < columns; ++column) {
        const double from = total * static_cast<double>(column) / static_cast<double>(columns);
        const double to = total * static_cast<double>(column + 1) / static_cast<double>(columns);
        while (first < m_buffers.size() && m_buffers[first].end <= from)
            ++first;
        if (first == m_buffers.size())
            break;
        double peak = -std::numeric_limits<double>::infinity();
        rms.startColumn();
        noiseFloor.startColumn();
        threshold.startColumn();
        for (std::size_t i = first; i < m_buffers.size() && m_buffers[i].start < to; ++i) {
            const BufferTrace& trace = m_buffers[i].trace;
            peak = std::max(peak, dbOf(trace.peak));
            rms.add(dbOf(trace.rms));
            noiseFloor.add(dbOf(trace.floor));
            threshold.add(dbOf(trace.threshold));
        }
        const int x = area.left() + static_cast<int>(column);
        const int peakTop = yOf(peak, area);
        painter.fillRect(x, peakTop, 1, area.bottom() - peakTop + 1, QColor::fromRgb(peakColour));
        fillColumn(painter, x, rms, rmsColour, area);
        fillColumn(painter, x, noiseFloor, floorColour, area);
        fillColumn(painter, x, threshold, thresholdColour, area);
    }
}

void AnalysisPlot::paintEvents(QPainter& painter, const QRect& area) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(clapColour));
    const bool lines = m_claps.size() * clapLineSpacing < static_cast<std::size_t>(area.width());
    for (const double t : m_claps) {
        const int x = xOf(t, area);
        if (lines)
            painter.fillRect(x, area.top(), 1, area.height(), QColor::fromRgb(clapLineColour));
        painter.drawPolygon(
            QPolygon({QPoint(x - markHalfWidth, area.top()), QPoint(x + markHalfWidth, area.top()),
                      QPoint(x, area.top() + markBand)}));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgb(playedSoundColour), 2.0));
    for (const double t : m_playedSounds) {
        const int x = xOf(t, area);
        painter.drawPolygon(QPolygon({QPoint(x - markHalfWidth + 1, area.top() + 1),
                                      QPoint(x + markHalfWidth - 1, area.top() + 1),
                                      QPoint(x, area.top() + markBand - 1)}));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(doubleClapColour));
    const int middle = area.bottom() - markBand / 2;
    for (const double t : m_doubleClaps) {
        const int x = xOf(t, area);
        painter.drawPolygon(
            QPolygon({QPoint(x, middle - markBand / 2), QPoint(x + markHalfWidth + 1, middle),
                      QPoint(x, middle + markBand / 2), QPoint(x - markHalfWidth - 1, middle)}));
    }
}

void AnalysisPlot::paintLegend(QPainter& painter) const {
    painter.setFont(pixelFont(painter, 14));
    const QFontMetrics metrics(painter.font());
    const QString thresholdText =
        tr("onset threshold: larger of %1 dBFS and %2 × floor")
            .arg(dbText(dbOf(m_tuning.minPeak)), QString::number(m_tuning.floorRatio, 'g', 3));
    enum class Swatch { area, line, clap, doubleClap, playedSound };
    std::vector<std::tuple<Swatch, QRgb, QString>> items{{
        {Swatch::area, peakColour, tr("peak")},
        {Swatch::line, rmsColour, tr("RMS")},
        {Swatch::line, floorColour, tr("noise floor")},
        {Swatch::line, thresholdColour, thresholdText},
        {Swatch::clap, clapColour, tr("clap")},
        {Swatch::doubleClap, doubleClapColour, tr("double clap")},
        {Swatch::area, cooldownColour, tr("cooldown")},
    }};
    if (m_showsPlayedSound)
        items.insert(items.begin() + 5,
                     {Swatch::playedSound, playedSoundColour, tr("played by the computer")});
    int x = marginLeft;
    const int y = 48;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& [swatch, colour, text] : items) {
        const QColor fill = QColor::fromRgb(colour);
        switch (swatch) {
        case Swatch::area:
            painter.fillRect(x, y - 7, 18, 14, fill);
            break;
        case Swatch::line:
            painter.fillRect(x, y - 1, 18, 3, fill);
            break;
        case Swatch::clap:
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawPolygon(
                QPolygon({QPoint(x + 4, y - 6), QPoint(x + 14, y - 6), QPoint(x + 9, y + 6)}));
            break;
        case Swatch::playedSound:
            painter.setPen(QPen(fill, 2.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolygon(
                QPolygon({QPoint(x + 5, y - 5), QPoint(x + 13, y - 5), QPoint(x + 9, y + 5)}));
            break;
        case Swatch::doubleClap:
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawPolygon(QPolygon(
                {QPoint(x + 9, y - 7), QPoint(x + 15, y), QPoint(x + 9, y + 7), QPoint(x + 3, y)}));
            break;
        }
        painter.setPen(QColor::fromRgb(textColour));
        const int width = metrics.horizontalAdvance(text);
        painter.drawText(QRect(x + 24, y - 10, width + 2, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         text);
        x += 24 + width + 22;
    }
}

} // namespace lullwick
