#pragma once
// The checks a team's own rules make of a level. Each looks at the grid once and names the
// first offending cell in reading order (rows from top to bottom, each from left to right,
// as a level file lists them), so that the same level always gives the same report, with the
// number of offending cells beside it. None allocates: thousands of levels are checked in a
// row.

#include "core/ColumnMasks.h"
#include "core/LevelGrid.h"
#include "core/TileSet.h"

#include <bitset>
#include <optional>

namespace qorv {

// Cells holding a tile of `tiles`: the forbidden tiles, or the complement of the allowed ones
// (taken once for a rule, not for each level).
std::optional<CellFaults> cellsHolding(const LevelGrid& grid, const TileSet& tiles);

// Border cells (columns 0 and 63, rows 0 and 44) holding a tile outside `allowed`.
std::optional<CellFaults> borderCellsOutside(const LevelGrid& grid, const TileSet& allowed);

struct TileCountFault {
    int count;
    std::optional<Cell> firstSurplus; // the cell one past `max`; none when too few
    bool operator==(const TileCountFault&) const = default;
};

// `tile` found fewer than `min` or more than `max` times; either bound may be absent.
std::optional<TileCountFault> tileCountOutside(const LevelGrid& grid, TileIndex tile,
                                               std::optional<int> min, std::optional<int> max);

// Pairs of tiles that must never stand side by side, in either order.
class NeighbourBan {
  public:
    void forbid(TileIndex a, TileIndex b) {
        pairs_.set(a * 256 + b);
        pairs_.set(b * 256 + a);
        involved_.insert(a);
        involved_.insert(b);
    }
    bool forbids(TileIndex a, TileIndex b) const { return pairs_.test(a * 256 + b); }
    const TileSet& involved() const { return involved_; }
    bool operator==(const NeighbourBan&) const = default;

  private:
    std::bitset<256 * 256> pairs_;
    TileSet involved_;
};

struct NeighbourFault {
    Cell first;  // the upper or left cell of the first pair
    Cell beside; // the cell right of it or below it
    int pairs;
    bool operator==(const NeighbourFault&) const = default;
};

// Cells side by side (4-neighbourhood) whose tiles `ban` forbids together.
std::optional<NeighbourFault> forbiddenNeighbours(const LevelGrid& grid, const NeighbourBan& ban);

// The tiles of a reachability rule, in the table the flood fill looks each cell up in: made
// once for a rule, not once per level.
class FloodTiles {
  public:
    FloodTiles(TileIndex from, const TileSet& to, const TileSet& through);
    // The tile's flags (may be walked through, is a start, must be reached), packed for the
    // fill's pass over the grid.
    std::uint64_t fieldsOf(TileIndex tile) const { return fields_[tile]; }
    bool operator==(const FloodTiles&) const = default;

  private:
    std::array<std::uint64_t, 256> fields_{};
};

// Cells holding a tile of `to` that cannot be reached from any cell holding `from` by steps to
// the left, right, up or down over cells holding a tile of `through`. The last step may end on
// a cell of `to` outside `through` (an exit in a wall). Without a `from` cell, no cell of `to`
// is reached.
std::optional<CellFaults> unreachableCells(const LevelGrid& grid, const FloodTiles& tiles);

} // namespace qorv
