#include "startup/LevelFolder.h"

#include <QDir>
#include <QFileInfo>

namespace app {

QString enterFolderOf(const QString& level) {
    const QFileInfo file(level);
    const QString path = file.absoluteFilePath();
    if (QFileInfo::exists(file.absolutePath() + QStringLiteral("/all.bmp")))
        QDir::setCurrent(file.absolutePath());
    return path;
}

} // namespace app
