#pragma once
// Cells of a level as bits: one 64-bit word per column, bit y for row y. A whole column is
// then one operand, so the level rules test a neighbour column, a run of a column or a
// count of cells in a few instructions instead of a loop over cells.

#include "core/LevelGrid.h"
#include "core/TileSet.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qorv {

using ColumnMasks = std::array<std::uint64_t, GridWidth>;

struct Cell {
    int x;
    int y;
    bool operator==(const Cell&) const = default;
};

// The cells a level rule finds at fault: the first in reading order and how many there are.
struct CellFaults {
    Cell first;
    int count;
    bool operator==(const CellFaults&) const = default;
};

// The cells whose tile is in `tiles`.
ColumnMasks cellsWith(const LevelGrid& grid, const TileSet& tiles);

int countCells(const ColumnMasks& cells);

// The first cell in reading order (rows from top to bottom, each from left to right, as a
// level file lists them), which is not the order of the grid's bytes.
std::optional<Cell> firstInReadingOrder(const ColumnMasks& cells);

// The first and the count of `cells`; nothing when there are none.
std::optional<CellFaults> faultsAmong(const ColumnMasks& cells);

} // namespace qorv
