#pragma once

#include "MascotPose.h"

#include <QHash>
#include <QPixmap>
#include <optional>

namespace lullwick {

// The mascot's pictures, read from a folder of PNG files on first use. A picture that
// loaded is never read again; a missing or unreadable one is looked for again next time.
class MascotPictures {
public:
    explicit MascotPictures(QString folder);

    // Where the pictures are, for the running program (see PictureFolder).
    static QString defaultFolder();

    std::optional<QPixmap> image(MascotPose pose);

    // How many times a picture file was read, for every pose together.
    int reads() const { return m_reads; }

private:
    QString m_folder;
    QHash<MascotPose, QPixmap> m_cache;
    int m_reads = 0;
};

} // namespace lullwick
