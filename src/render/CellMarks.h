#pragma once
// Marking cells of a drawn level so that they stand out: the changed cells of a diff, the
// conflicting cells of a merge.

#include "core/LevelMerge.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace qorv {

// A frame two pixels wide drawn inside the cell: the outer ring in one colour, the inner
// one in the other, so that it stands out on any tile, light or dark. The middle 6 x 6
// pixels keep the tile.
inline constexpr QRgb MarkOuterColour = qRgb(255, 255, 0);
inline constexpr QRgb MarkInnerColour = qRgb(0, 0, 0);

// Frames cell (x, y) of a raster of 10-pixel cells. Pixels outside the cell stay as they are.
void markCell(QImage& raster, int x, int y);

// Frames each of `conflicts` whose cell lies in the inclusive block (x1, y1)-(x2, y2); the
// pixel rectangle of the cells framed, for the screen update (empty when none).
QRect markConflicts(QImage& raster, const std::vector<CellConflict>& conflicts, int x1, int y1,
                    int x2, int y2);

} // namespace qorv
