#include "LevelMeter.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <sys/ioctl.h>
#include <unistd.h>

namespace lullwick {
namespace {

constexpr double bottomDb = -80.0;
constexpr int widestBar = 50;
constexpr int narrowestBar = 10;

double dbOf(float level) {
    return level > 0.0f ? 20.0 * std::log10(static_cast<double>(level)) : -INFINITY;
}

QString dbText(float level) {
    const double db = dbOf(level);
    return std::isfinite(db) ? QString::number(db, 'f', 1) : QStringLiteral("-inf");
}

int columnsOf(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

std::unique_ptr<LevelMeter> LevelMeter::onTerminal(std::FILE* out) {
    if (isatty(fileno(out)) != 1)
        return nullptr;
    return std::unique_ptr<LevelMeter>(new LevelMeter(out));
}

LevelMeter::LevelMeter(std::FILE* out) : m_out(out) {
    cookie_io_functions_t io{};
    io.write = &LevelMeter::writeLines;
    m_lines = fopencookie(this, "w", io);
    if (m_lines == nullptr)
        m_lines = out;
    m_timer.setInterval(redrawMs);
    connect(&m_timer, &QTimer::timeout, this, &LevelMeter::redraw);
    m_timer.start();
}

LevelMeter::~LevelMeter() {
    if (m_lines != m_out)
        std::fclose(m_lines);
    erase();
    std::fflush(m_out);
}

ssize_t LevelMeter::writeLines(void* cookie, const char* data, std::size_t size) {
    auto* meter = static_cast<LevelMeter*>(cookie);
    meter->erase();
    const std::size_t written = std::fwrite(data, 1, size, meter->m_out);
    if (size > 0 && data[size - 1] == '\n' && meter->m_reading.heard)
        meter->draw();
    std::fflush(meter->m_out);
    return static_cast<ssize_t>(written);
}

void LevelMeter::redraw() {
    m_reading = m_tap.take();
    if (!m_reading.heard)
        return;
    draw();
    std::fflush(m_out);
}

void LevelMeter::draw() {
    std::fprintf(m_out, "\r%s\033[K", qPrintable(text(m_reading, columnsOf(m_out))));
    m_drawn = true;
}

void LevelMeter::erase() {
    if (m_drawn)
        std::fputs("\r\033[K", m_out);
    m_drawn = false;
}

QString LevelMeter::text(const LevelTap::Reading& reading, int columns) {
    const QString numbers =
        QCoreApplication::translate("LevelMeter", "peak %1  floor %2  threshold %3 dBFS")
            .arg(dbText(reading.peak), 6)
            .arg(dbText(reading.floor), 6)
            .arg(dbText(reading.threshold), 6);
    // The whole line stays narrower than the terminal: a wrapped line could not be redrawn.
    const auto room = static_cast<int>(columns - numbers.size() - 4);
    const int width = std::clamp(room, narrowestBar, widestBar);
    auto position = [width](float level) {
        const double fraction = (dbOf(level) - bottomDb) / -bottomDb;
        return static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * (width - 1)));
    };
    QString bar(width, u'-');
    const double peakDb = dbOf(reading.peak);
    if (peakDb > bottomDb)
        bar.replace(0, position(reading.peak) + 1, QString(position(reading.peak) + 1, u'#'));
    bar[position(reading.floor)] = u':';
    bar[position(reading.threshold)] = u'|';
    return (u'[' + bar + QStringLiteral("] ") + numbers).left(std::max(columns - 1, 1));
}

} // namespace lullwick
