#include "core/LevelRules.h"

#include <bit>

namespace qorv {

namespace {

// The n-th cell holding `tile` in reading order. Asked only once a count is known to be too
// high, so its walk across the columns costs a passing level nothing.
std::optional<Cell> nthCellOf(const LevelGrid& grid, TileIndex tile, int n) {
    for (int y = 0; y < GridHeight; ++y)
        for (int x = 0; x < GridWidth; ++x)
            if (grid.at(x, y) == tile && --n == 0) return Cell{x, y};
    return std::nullopt;
}

} // namespace

std::optional<CellFaults> cellsHolding(const LevelGrid& grid, const TileSet& tiles) {
    return faultsAmong(cellsWith(grid, tiles));
}

std::optional<CellFaults> borderCellsOutside(const LevelGrid& grid, const TileSet& allowed) {
    ColumnMasks outside{};
    const auto check = [&](int x, int y) {
        outside[x] |= std::uint64_t{!allowed.contains(grid.at(x, y))} << y;
    };
    for (int x = 0; x < GridWidth; ++x) {
        check(x, 0);
        check(x, GridHeight - 1);
    }
    for (int y = 1; y < GridHeight - 1; ++y) {
        check(0, y);
        check(GridWidth - 1, y);
    }
    return faultsAmong(outside);
}

std::optional<TileCountFault> tileCountOutside(const LevelGrid& grid, TileIndex tile,
                                               std::optional<int> min, std::optional<int> max) {
    int count = 0;
    for (const TileIndex cell : grid.cells)
        count += cell == tile;
    if (max && count > *max) return TileCountFault{count, nthCellOf(grid, tile, *max + 1)};
    if (min && count < *min) return TileCountFault{count, std::nullopt};
    return std::nullopt;
}

std::optional<NeighbourFault> forbiddenNeighbours(const LevelGrid& grid, const NeighbourBan& ban) {
    const ColumnMasks involved = cellsWith(grid, ban.involved());
    ColumnMasks right{}, below{};
    for (int x = 0; x < GridWidth; ++x)
        for (std::uint64_t cells = involved[x]; cells != 0; cells &= cells - 1) {
            const int y = std::countr_zero(cells);
            const TileIndex tile = grid.at(x, y);
            if (x + 1 < GridWidth && ban.forbids(tile, grid.at(x + 1, y)))
                right[x] |= std::uint64_t{1} << y;
            if (y + 1 < GridHeight && ban.forbids(tile, grid.at(x, y + 1)))
                below[x] |= std::uint64_t{1} << y;
        }
    ColumnMasks either;
    for (int x = 0; x < GridWidth; ++x)
        either[x] = right[x] | below[x];
    const std::optional<Cell> first = firstInReadingOrder(either);
    if (!first) return std::nullopt;
    const bool toTheRight = right[first->x] >> first->y & 1;
    const Cell beside = toTheRight ? Cell{first->x + 1, first->y} : Cell{first->x, first->y + 1};
    return NeighbourFault{*first, beside, countCells(right) + countCells(below)};
}

} // namespace qorv
