#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

class QLabel;
class QVBoxLayout;
class QWidget;

namespace lullwick {

// The look the setup assistant's pages share: page stack, icon, title, subtitle, info box.
namespace pageParts {

inline const QColor indigo{0x58, 0x56, 0xd6};
inline const QColor green{0x28, 0xa7, 0x45};
inline const QColor orange{0xe8, 0x7b, 0x00};

struct InfoLine {
    QString symbol;
    QString text;
};

// The vertical stack of a page with the given spacing: texts and boxes as wide as the page,
// small items added centred; the caller ends it with a stretch so that the content sits at
// the top.
QVBoxLayout* pageStack(QWidget* page, int spacing);

// The named symbol: the desktop's icon where its theme has one that fits, else our own
// drawing in the given colour.
QIcon symbol(const QString& name, const QColor& colour);

// A symbol drawn size pixels high.
QLabel* symbolLabel(const QString& name, int size, const QColor& colour, QWidget* parent);

QLabel* pageIcon(const QString& name, QWidget* parent);
QLabel* pageTitle(const QString& text, QWidget* parent);
QLabel* pageSubtitle(const QString& text, QWidget* parent);
// An empty box on the quaternary fill with 14-pixel rounded corners; name: its objectName.
QWidget* filledBox(const QString& name, QWidget* parent);
// The callout text style: a little smaller than the body text.
void makeCallout(QLabel* label);
QWidget* infoBox(const QList<InfoLine>& lines, int spacing, QWidget* parent);

} // namespace pageParts
} // namespace lullwick
