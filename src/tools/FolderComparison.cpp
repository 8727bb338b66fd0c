#include "tools/FolderComparison.h"

#include "errors/IoError.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <map>
#include <string>
#include <sys/stat.h>

namespace app {

namespace {

// Ordered by the bytes of the name: the same order on every machine, whatever its locale.
using LevelsByName = std::map<std::string, QString>;

LevelsByName levelsIn(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isReadable() || !info.isExecutable())
        throw qorv::EditorError(about(folder, qorv::ioMessage(qorv::iocode::AccessDenied)));
    LevelsByName levels;
    const QDir dir(folder, QString(), QDir::NoSort, QDir::Files | QDir::CaseSensitive);
    for (const QString& name : dir.entryList({QStringLiteral("*.qre"), QStringLiteral("*.qrl")}))
        levels.emplace(fileName(name), dir.filePath(name));
    return levels;
}

} // namespace

bool namesFolder(const QString& path) {
    struct stat found {};
    if (::stat(fileName(path).c_str(), &found) != 0)
        throw qorv::EditorError(about(path, qorv::ioErrorFromErrno(errno, fileName(path)).what()));
    return S_ISDIR(found.st_mode);
}

FolderComparison compareFolders(const QString& before, const QString& after) {
    const LevelsByName old = levelsIn(before), now = levelsIn(after);
    LevelsByName all = old;
    all.insert(now.begin(), now.end());
    FolderComparison comparison;
    for (const auto& [bytes, any] : all) {
        const auto was = old.find(bytes), is = now.find(bytes);
        ComparedLevel level;
        level.name = QFileInfo(any).fileName();
        if (was != old.end()) level.beforeFile = was->second;
        if (is != now.end()) level.afterFile = is->second;
        if (was == old.end() || is == now.end()) {
            level.fate = was == old.end() ? LevelFate::Added : LevelFate::Removed;
            comparison.differing.push_back(std::move(level));
            continue;
        }
        level.before = readLevel(level.beforeFile);
        level.after = readLevel(level.afterFile);
        level.cells = qorv::diffLevels(level.before, level.after);
        if (level.cells.empty())
            ++comparison.unchanged;
        else
            comparison.differing.push_back(std::move(level));
    }
    return comparison;
}

} // namespace app
