#include "GoodNightView.h"

#include "MascotView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lullwick {

GoodNightView::GoodNightView(MascotPictures& pictures, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(10);
    m_mascot = new MascotView(pictures, MascotPose::asleep, true, 120, this);
    m_label = new QLabel(tr("Good night!"), this);
    m_label->setObjectName(QStringLiteral("goodNightLabel"));
    QFont headline = m_label->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.1);
    m_label->setFont(headline);
    m_label->setAlignment(Qt::AlignCenter);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);
    column->addWidget(m_label, 0, Qt::AlignHCenter);
}

} // namespace lullwick
