#include "WelcomePage.h"

#include "AssetImage.h"
#include "PageParts.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lullwick {

WelcomePage::WelcomePage(const QString& pictures, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("welcomePage"));
    QVBoxLayout* stack = pageParts::pageStack(this, 18);

    auto* hero = new AssetImage(pictures, QStringLiteral("onboarding-hero"),
                                QStringLiteral("hands.clap"), this);
    hero->setObjectName(QStringLiteral("hero"));
    hero->setFixedHeight(260);
    stack->addWidget(hero);

    auto* title = new QLabel(tr("Welcome to Lullwick"), this);
    QFont large = title->font();
    large.setPointSizeF(large.pointSizeF() * 2.3);
    large.setBold(true);
    title->setFont(large);
    title->setAlignment(Qt::AlignHCenter);
    // Translations run longer than the English: wrapped rather than widen the page.
    title->setWordWrap(true);
    stack->addWidget(title);

    auto* lines = new QLabel(tr("Clap twice — your computer goes to sleep.\n"
                                "Let's set everything up in under a minute."),
                             this);
    QFont title3 = lines->font();
    title3.setPointSizeF(title3.pointSizeF() * 1.4);
    lines->setFont(title3);
    lines->setForegroundRole(QPalette::PlaceholderText);
    lines->setAlignment(Qt::AlignHCenter);
    lines->setWordWrap(true);
    stack->addWidget(lines);
    stack->addStretch(1);
}

} // namespace lullwick
