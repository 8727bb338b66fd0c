#pragma once
// Two folders of levels compared by name, as a pull request changes a game's levels: which
// levels were added, removed and changed from the old folder to the new one, which could not
// be read, and how many stayed as they were. Each folder is a set of levels (tools/LevelSet.h,
// with `recursive` its folders below too); the two are joined by the levels' names below their
// folders, as plain bytes.

#include "core/LevelDiff.h"
#include "core/LevelGrid.h"
#include "core/LevelMerge.h"

#include <QString>

#include <string>
#include <vector>

namespace app {

enum class LevelFate { Added, Removed, Changed, Unreadable };

struct ComparedLevel {
    QString name;         // the name below its folder, as text: "maze.qre", "sub/maze.qre"
    std::string relative; // that name as the system spells it, as messages quote it
    LevelFate fate = LevelFate::Changed;
    QString beforeFile, afterFile;       // the files compared; empty where there is none
    qorv::LevelGrid before, after;       // read for a changed level only
    std::vector<qorv::CellChange> cells; // the changed cells of a changed level
    // A level a merge left conflicted is compared as OURS; its conflicts, framed in its picture.
    std::vector<qorv::CellConflict> beforeConflicts, afterConflicts;
    // An unreadable level: "OLD/NAME: why" in every command's words, why alone, and which
    // side ("before", "after") it is; the first side that failed.
    std::string failure, reason, side;
};

struct FolderComparison {
    std::vector<ComparedLevel> differing; // by the bytes of their names
    int unchanged = 0;
};

// Whether `path` names a folder (a link to one too); throws EditorError in the reader's words,
// "NAME: File not found", when nothing is there.
bool namesFolder(const QString& path);

// Throws EditorError "<folder>: <why>" when either folder cannot be listed. A level that cannot
// be read on either side is one of the differing, Unreadable, and the others are compared.
// With `showConflicts`, a level a merge left conflicted is read as OURS, with its conflicts,
// and counts as changed; otherwise it is unreadable as readSetLevel tells it.
FolderComparison compareFolders(const QString& before, const QString& after, bool recursive,
                                bool showConflicts = false);

} // namespace app
