#include "AssetImage.h"

#include "PageParts.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace lullwick {

AssetImage::AssetImage(QString folder, QString name, QString fallbackSymbol, QWidget* parent)
    : QWidget(parent), m_path(folder + u'/' + name + QStringLiteral(".png")),
      m_fallbackSymbol(std::move(fallbackSymbol)) {}

void AssetImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 18, 18);
    painter.setClipPath(rounded);

    // QImage, not QPixmap::load: that one may answer from Qt's own cache.
    QImage picture;
    m_showedPicture = picture.load(m_path);
    if (m_showedPicture) {
        const QSize scaled = picture.size().scaled(size(), Qt::KeepAspectRatioByExpanding);
        QRect target(QPoint(), scaled);
        target.moveCenter(rect().center());
        painter.drawImage(target, picture);
        return;
    }
    QColor ground = pageParts::indigo;
    ground.setAlphaF(0.1f);
    painter.fillRect(rect(), ground);
    const QPixmap symbol =
        pageParts::symbol(m_fallbackSymbol, pageParts::indigo).pixmap(QSize(56, 56));
    QRect target(QPoint(), QSize(56, 56));
    target.moveCenter(rect().center());
    painter.drawPixmap(target, symbol);
}

} // namespace lullwick
