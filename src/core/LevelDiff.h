#pragma once
// Comparing two levels cell by cell, as the reader reads them: which cells hold another tile.

#include "core/LevelGrid.h"

#include <vector>

namespace qorv {

struct CellChange {
    int x;
    int y;
    TileIndex from;
    TileIndex to;
    bool operator==(const CellChange&) const = default;
};

// Every cell whose tile differs, in reading order: rows from top to bottom, and within a
// row from left to right, as a level file lists them.
std::vector<CellChange> diffLevels(const LevelGrid& from, const LevelGrid& to);

} // namespace qorv
