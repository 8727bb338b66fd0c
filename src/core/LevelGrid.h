#pragma once
// The level: a fixed 64 x 45 grid of tile indices, stored column by column.

#include <array>
#include <cstdint>

namespace qorv {

using TileIndex = std::uint8_t;

inline constexpr int GridWidth = 64;
inline constexpr int GridHeight = 45;
inline constexpr int GridCells = GridWidth * GridHeight;
inline constexpr int CellSize = 10;

inline constexpr TileIndex FloorTile = 0;
inline constexpr TileIndex WallTile = 1;

// Cell (x, y) is byte x * 45 + y: the 45 cells of a column are contiguous.
struct LevelGrid {
    std::array<TileIndex, GridCells> cells{};

    static constexpr int indexOf(int x, int y) { return x * GridHeight + y; }
    TileIndex& at(int x, int y) { return cells[indexOf(x, y)]; }
    TileIndex at(int x, int y) const { return cells[indexOf(x, y)]; }

    bool operator==(const LevelGrid&) const = default;
};
static_assert(sizeof(LevelGrid) == 2880, "a level is exactly 2,880 bytes");

constexpr bool isInterior(int x, int y) {
    return x > 0 && x < GridWidth - 1 && y > 0 && y < GridHeight - 1;
}

// Makes `map` a new level: walls (tile 1) on the border, floor (tile 0) inside.
void ClearFull(LevelGrid& map);

// Copies `map` over `backup`, the one step that Undo can bring back.
void DoBackUp(const LevelGrid& map, LevelGrid& backup);

// Exchanges `map` and `backup` through the scratch grid `swap`; afterwards `swap`
// equals the new `backup`. Two exchanges in a row restore both grids, which is why
// Undo and Redo are the same command.
void undoExchange(LevelGrid& map, LevelGrid& backup, LevelGrid& swap);

} // namespace qorv
