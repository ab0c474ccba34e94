#include "PictureFolder.h"

#include <QDir>
#include <QFileInfo>

namespace lullwick {

QString PictureFolder::find() {
    // The real file behind the running program, as QCoreApplication would find it; known
    // without one, so that a broken installation can be reported before anything starts.
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString beside = QDir::cleanPath(programFolder + QStringLiteral("/../share/lullwick"));
    if (QFileInfo(beside).isDir())
        return beside;
    return QDir::cleanPath(programFolder + u'/' + QStringLiteral(LULLWICK_DATA_FROM_BINDIR));
}

QStringList PictureFolder::pictureNames() {
    return {QStringLiteral("mascot-alert"), QStringLiteral("mascot-sleepy"),
            QStringLiteral("mascot-asleep"), QStringLiteral("mascot-skeptical"),
            QStringLiteral("onboarding-hero")};
}

QStringList PictureFolder::missing(const QString& folder) {
    QStringList paths;
    for (const QString& name : pictureNames()) {
        const QString path = folder + u'/' + name + QStringLiteral(".png");
        const QFileInfo file(path);
        if (!file.isFile() || !file.isReadable())
            paths << path;
    }
    return paths;
}

} // namespace lullwick
