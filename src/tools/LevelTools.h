#pragma once
// The headless level tools' common ground: reading a level and loading a tile sheet with
// the words every mode reports their failures in, and drawing a level.

#include "core/ConflictedLevel.h"
#include "core/LevelGrid.h"
#include "errors/IoError.h"
#include "render/CellMarks.h"
#include "render/TileSheetSearch.h"
#include "tools/Console.h"
#include "tools/Invocation.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

namespace app {

// The level in the file `level`. Throws EditorError "<level>: <the reader's message>", or
// "<level>: unresolved merge conflict at line N" for a level a line merge left its markers in.
qorv::LevelGrid readLevel(const QString& level);

// A level as the tools that show or resolve conflicts read it.
struct ShownLevel {
    qorv::LevelGrid grid; // for a level in conflict: OURS with every change only one side made
    std::shared_ptr<const qorv::ConflictedLevel> conflicted; // nothing: no conflict markers
};

// The level in the file `level`, read as readLevel reads it, but a level a merge left in
// conflict is read too. Throws EditorError as readLevel does for any other failure.
ShownLevel readShownLevel(const QString& level);

// A level of a set as the tools that show conflicts read it: the level, or OURS with its
// conflicts for a level a merge left conflicted. Throws EditorError as requireLevel does for
// any other failure.
ShownLevel requireShownLevel(const SetLevel& level);

// What a tool that shows a level a merge left conflicted says of it: "NAME: unresolved merge
// conflicts: drawn as ours, its N conflicting cells framed".
std::string conflictedNote(const QString& level, const qorv::ConflictedLevel& conflicted);

// Why the level in `level` could not be read: the reader's message, or "unresolved merge
// conflict at line N" for a level a line merge left its markers in.
std::string levelFailure(const QString& level, const qorv::EditorError& error);

// The sheet the search found. Throws EditorError naming the folders looked in and --tiles
// when it found none.
const QString& requireSheet(const qorv::TileSheetSearch& search);

// The tile sheet in the file `sheet`. Throws EditorError "<sheet>: <why>".
QImage loadSheet(const QString& sheet);

// The level as the editor's raster shows it right after opening it: 640 x 450, 24 bits,
// every cell copied from the sheet, no selection outline.
QImage drawLevel(const qorv::LevelGrid& grid, const QImage& sheet);

// `raster` with each of `cells` framed: the changed cells of a diff, the conflicts of a merge.
template <typename Cells> QImage withCellsMarked(QImage raster, const Cells& cells) {
    for (const auto& cell : cells)
        qorv::markCell(raster, cell.x, cell.y);
    return raster;
}

// The level in the file drawn with the sheet in the file. Throws EditorError with the
// reader's or the sheet loader's message.
QImage renderLevel(const QString& level, const QString& sheet);

} // namespace app
