#include "MascotPictures.h"

#include "PictureFolder.h"

#include <QFileInfo>
#include <QImage>

namespace lullwick {

MascotPictures::MascotPictures(QString folder) : m_folder(std::move(folder)) {}

QString MascotPictures::defaultFolder() {
    return PictureFolder::find();
}

std::optional<QPixmap> MascotPictures::image(MascotPose pose) {
    if (const auto it = m_cache.constFind(pose); it != m_cache.constEnd())
        return *it;
    const QString path = m_folder + u'/' + rawValue(pose) + QStringLiteral(".png");
    if (!QFileInfo::exists(path))
        return std::nullopt;
    ++m_reads;
    // QImage, not QPixmap::load: that one may answer from Qt's own pixmap cache.
    QImage image;
    if (!image.load(path))
        return std::nullopt;
    const QPixmap picture = QPixmap::fromImage(std::move(image));
    m_cache.insert(pose, picture);
    return picture;
}

} // namespace lullwick
