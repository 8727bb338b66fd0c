#pragma once
// A level drawn as --render draws it, with some of its cells framed: the changes of a diff,
// the conflicts of a merge.

#include "tools/ImageFile.h"
#include "tools/LevelTools.h"

#include <QByteArray>
#include <QString>

namespace app {

// `grid` as --render draws it, with `cells` framed, encoded for `output`.
template <typename Cells>
QByteArray markedPicture(const qorv::LevelGrid& grid, const QString& sheet, const Cells& cells,
                         const QString& output) {
    return encodeImageFor(withCellsMarked(drawLevel(grid, loadSheet(sheet)), cells), output);
}

} // namespace app
