#include "GoodNightView.h"

#include "MascotView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lullwick {

GoodNightView::GoodNightView(MascotPictures& pictures, QWidget* parent) : QWidget(parent) {
    m_mascot = new MascotView(pictures, MascotPose::asleep, true, 120, this);
    auto* column = new QVBoxLayout(this);
    // The Zs rise above the mascot: the top margin grows if they need more room.
    column->setContentsMargins(26, std::max(26, m_mascot->zsHeadroom()), 26, 26);
    column->setSpacing(10);
    const QString words = tr("Good night!");
    m_label = new QLabel(words, this);
    m_label->setObjectName(QStringLiteral("goodNightLabel"));
    // The headline style: body size, semibold.
    QFont headline = m_label->font();
    headline.setWeight(QFont::DemiBold);
    m_label->setFont(headline);
    setAccessibleName(words);
    m_label->setAlignment(Qt::AlignCenter);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);
    column->addWidget(m_label, 0, Qt::AlignHCenter);
}

} // namespace lullwick
