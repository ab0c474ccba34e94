#pragma once

#include <QString>
#include <QStringList>

namespace lullwick {

// The folder of the application's PNG pictures, which are files found at run time and not
// compiled in, so that a missing one really falls back to a drawn stand-in.
class PictureFolder {
public:
    // share/lullwick beside the program's folder (the build tree is laid out the same way),
    // else the data folder of the prefix the program was installed for, seen from its
    // folder; the latter when neither exists.
    static QString find();

    // The base names of every picture the program shows.
    static QStringList pictureNames();

    // The pictures of the folder that are not readable files, as full paths.
    static QStringList missing(const QString& folder);
};

} // namespace lullwick
