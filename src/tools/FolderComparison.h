#pragma once
// Two folders of levels compared by name, as a pull request changes a game's levels: which
// levels were added, removed and changed from the old folder to the new one, and how many
// stayed as they were. A level is a file *.qre or *.qrl in the folder itself (not in its
// subfolders, and not a hidden one, as the shell's levels/*.qre lists them), compared as the
// reader reads it.

#include "core/LevelDiff.h"
#include "core/LevelGrid.h"

#include <QString>

#include <vector>

namespace app {

enum class LevelFate { Added, Removed, Changed };

struct ComparedLevel {
    QString name; // the file name in its folder: "maze.qre"
    LevelFate fate = LevelFate::Changed;
    QString beforeFile, afterFile;       // the files compared; empty where there is none
    qorv::LevelGrid before, after;       // read for a changed level only
    std::vector<qorv::CellChange> cells; // the changed cells of a changed level
};

struct FolderComparison {
    std::vector<ComparedLevel> differing; // by the bytes of their names
    int unchanged = 0;
};

// Whether `path` names a folder (a link to one too); throws EditorError in the reader's words,
// "NAME: File not found", when nothing is there.
bool namesFolder(const QString& path);

// Throws EditorError "<folder>: <why>" when either folder cannot be listed, and the reader's
// failure for a level present in both that cannot be read.
FolderComparison compareFolders(const QString& before, const QString& after);

} // namespace app
