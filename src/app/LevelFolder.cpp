#include "app/LevelFolder.h"

#include <QDir>
#include <QFileInfo>

namespace app {

QString enterFolderOf(const QString& level) {
    const QFileInfo file(level);
    const QString path = file.absoluteFilePath();
    QDir::setCurrent(file.absolutePath());
    return path;
}

} // namespace app
