#include "tools/FolderComparison.h"

#include "errors/IoError.h"
#include "tools/LevelSet.h"
#include "tools/Reporting.h"

#include <QFile>

#include <cerrno>
#include <map>
#include <string>
#include <sys/stat.h>

namespace app {

namespace {

// By the bytes of the name below the folder: the same order on every machine, whatever its
// locale, and no name means more than its bytes.
using LevelsByName = std::map<std::string, const SetLevel*>;

LevelSet levelsIn(const QString& folder, bool recursive) {
    std::optional<LevelSet> levels = levelsOfFolder(folder, recursive);
    if (!levels)
        throw qorv::EditorError(about(folder, qorv::ioMessage(qorv::iocode::AccessDenied)));
    return std::move(*levels);
}

LevelsByName byName(const LevelSet& levels) {
    LevelsByName named;
    for (const SetLevel& level : levels)
        named.emplace(level.relative, &level);
    return named;
}

// Reads the level on each side it is on: a failure on either makes it Unreadable. With
// `showConflicts`, a conflicted side is OURS with its conflicts.
void readSides(ComparedLevel& level, const SetLevel* was, const SetLevel* is, bool showConflicts) {
    const struct {
        const SetLevel* file;
        qorv::LevelGrid* grid;
        std::vector<qorv::CellConflict>* conflicts;
        const char* name;
    } sides[] = {{was, &level.before, &level.beforeConflicts, "before"},
                 {is, &level.after, &level.afterConflicts, "after"}};
    for (const auto& [side, grid, conflicts, name] : sides) {
        if (!side) continue;
        LevelRead read = readSetLevel(*side);
        const auto* failure = std::get_if<LevelFailure>(&read);
        if (failure && showConflicts && failure->conflicted) {
            *grid = failure->conflicted->merged;
            *conflicts = failure->conflicted->conflicts;
        } else if (failure) {
            if (level.failure.empty()) {
                level.failure = aboutLevel(*side, failure->reason);
                level.reason = failure->reason;
                level.side = name;
            }
            level.fate = LevelFate::Unreadable;
        } else {
            *grid = std::get<qorv::LevelGrid>(std::move(read));
        }
    }
}

} // namespace

bool namesFolder(const QString& path) {
    struct stat found {};
    if (::stat(fileName(path).c_str(), &found) != 0)
        throw qorv::EditorError(about(path, qorv::ioErrorFromErrno(errno, fileName(path)).what()));
    return S_ISDIR(found.st_mode);
}

FolderComparison compareFolders(const QString& before, const QString& after, bool recursive,
                                bool showConflicts) {
    const LevelSet oldSet = levelsIn(before, recursive), newSet = levelsIn(after, recursive);
    const LevelsByName old = byName(oldSet), now = byName(newSet);
    LevelsByName all = old;
    all.insert(now.begin(), now.end());
    FolderComparison comparison;
    for (const auto& [bytes, any] : all) {
        const auto was = old.find(bytes), is = now.find(bytes);
        ComparedLevel level;
        level.relative = bytes;
        level.name = QFile::decodeName(QByteArray::fromStdString(bytes));
        level.fate = was == old.end()  ? LevelFate::Added
                     : is == now.end() ? LevelFate::Removed
                                       : LevelFate::Changed;
        if (was != old.end()) level.beforeFile = was->second->file;
        if (is != now.end()) level.afterFile = is->second->file;
        // Added and removed levels are read too: a broken level a change brings is told.
        readSides(level, was == old.end() ? nullptr : was->second,
                  is == now.end() ? nullptr : is->second, showConflicts);
        if (level.fate == LevelFate::Changed) {
            level.cells = qorv::diffLevels(level.before, level.after);
            if (level.cells.empty() && level.beforeConflicts.empty() &&
                level.afterConflicts.empty()) {
                ++comparison.unchanged;
                continue;
            }
        }
        comparison.differing.push_back(std::move(level));
    }
    return comparison;
}

} // namespace app
