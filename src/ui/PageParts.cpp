#include "PageParts.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace lullwick::pageParts {
namespace {

// Freedesktop names that mean the same as our symbol names, best first. Themes draw them
// in their own colours; that is how the assistant looks at home on Breeze and Adwaita.
const QHash<QString, QStringList>& themeNames() {
    static const QHash<QString, QStringList> names{
        {QStringLiteral("mic.fill"), {QStringLiteral("audio-input-microphone")}},
        {QStringLiteral("lock.shield.fill"), {QStringLiteral("security-high")}},
        {QStringLiteral("microphone.circle.fill"),
         {QStringLiteral("microphone-sensitivity-high"), QStringLiteral("audio-input-microphone")}},
        {QStringLiteral("clock.fill"), {QStringLiteral("appointment-soon")}},
        {QStringLiteral("moon.zzz.fill"), {QStringLiteral("system-suspend")}},
        {QStringLiteral("timer"), {QStringLiteral("chronometer"), QStringLiteral("alarm")}},
        {QStringLiteral("play.rectangle.fill"), {QStringLiteral("video-x-generic")}},
        {QStringLiteral("checkmark.circle.fill"), {QStringLiteral("emblem-ok")}},
    };
    return names;
}

// Black becomes the colour, white details stay white, and everything keeps its alpha.
QImage tinted(const QImage& drawing, const QColor& colour) {
    QImage image = drawing.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha == 0)
                continue;
            const double white = qGray(line[x]) / 255.0;
            const auto mix = [white](int channel) {
                return static_cast<int>(channel + (255 - channel) * white);
            };
            line[x] = qRgba(mix(colour.red()), mix(colour.green()), mix(colour.blue()), alpha);
        }
    }
    return image;
}

// Our own drawings are black with white details, painted in the colour asked for.
QIcon ownSymbol(const QString& name, const QColor& colour) {
    QFile file(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSvgRenderer renderer(file.readAll());
    QIcon icon;
    for (const int size : {16, 22, 32, 44, 56, 88, 112}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(tinted(image, colour)));
    }
    return icon;
}

} // namespace

QVBoxLayout* pageStack(QWidget* page, int spacing) {
    auto* stack = new QVBoxLayout(page);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    return stack;
}

QIcon symbol(const QString& name, const QColor& colour) {
    for (const QString& themeName : themeNames().value(name))
        if (QIcon::hasThemeIcon(themeName))
            return QIcon::fromTheme(themeName);
    return ownSymbol(name, colour);
}

QLabel* symbolLabel(const QString& name, int size, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(symbol(name, colour).pixmap(QSize(size, size)));
    label->setFixedSize(size, size);
    return label;
}

QLabel* pageIcon(const QString& name, QWidget* parent) {
    return symbolLabel(name, 44, indigo, parent);
}

QLabel* pageTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    // Translations run longer than the English: a title wraps rather than widen the page.
    label->setWordWrap(true);
    return label;
}

QLabel* pageSubtitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

QWidget* filledBox(const QString& name, QWidget* parent) {
    auto* box = new QWidget(parent);
    box->setObjectName(name);
    // The quaternary fill at 0.4: the text colour, very faint, so it suits light and dark.
    QColor fill = box->palette().color(QPalette::WindowText);
    fill.setAlphaF(0.04f);
    box->setStyleSheet(QStringLiteral("#%1 { background: rgba(%2, %3, %4, %5); "
                                      "border-radius: 14px; }")
                           .arg(name)
                           .arg(fill.red())
                           .arg(fill.green())
                           .arg(fill.blue())
                           .arg(fill.alphaF()));
    return box;
}

void makeCallout(QLabel* label) {
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.92);
    label->setFont(font);
}

QWidget* infoBox(const QList<InfoLine>& lines, int spacing, QWidget* parent) {
    QWidget* box = filledBox(QStringLiteral("infoBox"), parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(spacing);
    for (const InfoLine& line : lines) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        auto* icon = symbolLabel(line.symbol, 18, indigo, box);
        row->addWidget(icon, 0, Qt::AlignTop);
        auto* text = new QLabel(line.text, box);
        text->setWordWrap(true);
        row->addWidget(text, 1);
        column->addLayout(row);
    }
    return box;
}

} // namespace lullwick::pageParts
