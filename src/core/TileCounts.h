#pragma once
// How many cells of a level hold each tile: the one count the set's statistics, its report
// and its contact sheet's captions share.

#include "core/LevelGrid.h"

#include <array>
#include <cstdint>

namespace qorv {

using TileCounts = std::array<std::uint32_t, 256>;

inline TileCounts countTiles(const LevelGrid& grid) {
    TileCounts counts{};
    for (const TileIndex cell : grid.cells)
        ++counts[cell];
    return counts;
}

// Adds `more` into `total`, tile by tile: the totals over a set of levels.
inline void addCounts(TileCounts& total, const TileCounts& more) {
    for (std::size_t tile = 0; tile < total.size(); ++tile)
        total[tile] += more[tile];
}

} // namespace qorv
