#include "GoodNightView.h"

#include "MascotView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lullwick {

GoodNightView::GoodNightView(MascotPictures& pictures, QWidget* parent) : QWidget(parent) {
    m_mascot = new MascotView(pictures, MascotPose::asleep, true, 120, this);
    const QString words = tr("Good night!");
    m_label = new QLabel(words, this);
    m_label->setObjectName(QStringLiteral("goodNightLabel"));
    // The headline style: body size, semibold.
    QFont headline = m_label->font();
    headline.setWeight(QFont::DemiBold);
    m_label->setFont(headline);
    m_label->setAlignment(Qt::AlignCenter);
    setAccessibleName(words);

    auto* column = new QVBoxLayout(this);
    // The Zs rise above the mascot: the top margin grows if they need more room.
    const int width = std::max(120, m_label->sizeHint().width()) + 2 * 26;
    column->setContentsMargins(26, std::max(26, m_mascot->zsHeadroom(width, 24)), 26, 26);
    column->setSpacing(10);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);
    column->addWidget(m_label, 0, Qt::AlignHCenter);
}

} // namespace lullwick
