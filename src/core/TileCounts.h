#pragma once
// How many cells of a level hold each tile: the one count the set's statistics, its report
// and its contact sheet's captions share.

#include "core/LevelGrid.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qorv {

using TileCounts = std::array<std::uint32_t, 256>;

// Most cells of a level hold one of a few tiles: counted into one array, each increment would
// wait for the one before it to the same counter. Four arrays, taking turns, let four run at
// once.
inline TileCounts countTiles(const LevelGrid& grid) {
    constexpr std::size_t Lanes = 4;
    static_assert(GridCells % Lanes == 0);
    std::array<TileCounts, Lanes> lanes{};
    for (std::size_t cell = 0; cell < grid.cells.size(); cell += Lanes)
        for (std::size_t lane = 0; lane < Lanes; ++lane)
            ++lanes[lane][grid.cells[cell + lane]];
    TileCounts counts{};
    for (std::size_t tile = 0; tile < counts.size(); ++tile)
        counts[tile] = lanes[0][tile] + lanes[1][tile] + lanes[2][tile] + lanes[3][tile];
    return counts;
}

// Adds `more` into `total`, tile by tile: the totals over a set of levels.
inline void addCounts(TileCounts& total, const TileCounts& more) {
    for (std::size_t tile = 0; tile < total.size(); ++tile)
        total[tile] += more[tile];
}

} // namespace qorv
