#include "app/LevelSet.h"

#include "app/Reporting.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace app {

std::vector<QString> expandLevels(const QStringList& arguments) {
    std::vector<QString> levels;
    for (const QString& argument : arguments) {
        const QFileInfo info(argument);
        if (!info.isDir() || !info.isReadable()) {
            levels.push_back(argument);
            continue;
        }
        // Case-sensitive like the editor's level browser: "A.QRE" is no level of the set.
        QStringList names =
            QDir(argument).entryList({"*.qre", "*.qrl"}, QDir::Files | QDir::CaseSensitive);
        // Byte order, the same in every locale, so a set is the same set everywhere.
        std::ranges::sort(names, {}, [](const QString& name) { return fileName(name); });
        for (const QString& name : names)
            levels.push_back(QDir(argument).filePath(name));
    }
    return levels;
}

} // namespace app
