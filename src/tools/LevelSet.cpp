#include "tools/LevelSet.h"

#include "storage/FolderFiles.h"
#include "tools/Reporting.h"

#include <QFile>

#include <algorithm>

namespace app {

namespace {

bool isLevelName(const std::string& name) {
    const QString text = QFile::decodeName(QByteArray::fromStdString(name));
    return QFile::encodeName(text).toStdString() == name &&
           (text.endsWith(QStringLiteral(".qre"), Qt::CaseInsensitive) ||
            text.endsWith(QStringLiteral(".qrl"), Qt::CaseInsensitive));
}

// A folder that cannot be listed stays itself, so that reading it says why.
void addLevelsOf(const QString& folder, QStringList& levels) {
    std::optional<std::vector<std::string>> listed = qorv::regularFilesIn(fileName(folder));
    if (!listed) {
        levels << folder;
        return;
    }
    std::vector<std::string>& names = *listed;
    std::erase_if(names, [](const std::string& name) { return !isLevelName(name); });
    std::ranges::sort(names);
    const QString prefix = folder.endsWith('/') ? folder : folder + '/';
    for (const std::string& name : names)
        levels << prefix + QFile::decodeName(QByteArray::fromStdString(name));
}

} // namespace

QStringList expandLevels(const QStringList& arguments) {
    QStringList levels;
    for (const QString& argument : arguments) {
        if (argument != QStringLiteral("-") && qorv::isFolder(fileName(argument)))
            addLevelsOf(argument, levels);
        else
            levels << argument;
    }
    return levels;
}

} // namespace app
