#pragma once
// Replacing tiles across a level through one table looked up once per cell, so that a table
// that swaps two tiles (1 -> 2 and 2 -> 1) swaps them instead of chaining one into the other.

#include "core/LevelGrid.h"

#include <array>
#include <cstddef>

namespace qorv {

// The tile each tile becomes.
using TileMap = std::array<TileIndex, 256>;

constexpr TileMap identityTileMap() {
    TileMap map{};
    for (std::size_t tile = 0; tile < map.size(); ++tile)
        map[tile] = static_cast<TileIndex>(tile);
    return map;
}

inline LevelGrid remapTiles(const LevelGrid& grid, const TileMap& map) {
    LevelGrid remapped;
    for (std::size_t cell = 0; cell < grid.cells.size(); ++cell)
        remapped.cells[cell] = map[grid.cells[cell]];
    return remapped;
}

} // namespace qorv
