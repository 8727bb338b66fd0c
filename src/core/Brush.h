#pragma once
// The painting operations on a level: the disc brush, Fill and the eye dropper.

#include "core/LevelGrid.h"
#include "core/Selection.h"

#include <optional>

namespace qorv {

// Stamps a disc of diameter `size` cells centred on cell (x, y) with `tile`: every
// interior cell covered by `sel` whose distance from the centre is at most size / 2.
// Any 32-bit centre and size are safe and take time bounded by the grid. Returns the
// bounding box of the cells written, or nothing when no cell was written.
std::optional<CellBox> applybrush(LevelGrid& map, const Selection& sel, int x, int y, int size,
                                  TileIndex tile);

// Sets every covered cell to `tile` (no interior test). Returns the block written, or
// nothing when the selection covers no cell.
std::optional<CellBox> fillSelection(LevelGrid& map, const Selection& sel, TileIndex tile);

// The eye dropper: the left button picks into `fore`, any other into `back`.
void pickTile(const LevelGrid& map, int cx, int cy, bool leftButton, TileIndex& fore,
              TileIndex& back);

} // namespace qorv
