// The flood fill of the reachability rule, over whole runs of a column at a time: a column's
// walkable cells are one 64-bit word, the run through a cell is found with a few bit
// operations, and each run is visited once. A maze's corridors are hundreds of cells but a few
// dozen runs.

#include "core/LevelRules.h"

#include <bit>

namespace qorv {

namespace {

// The run of consecutive cells of `walkable` holding the single bit `cell`.
std::uint64_t runThrough(std::uint64_t walkable, std::uint64_t cell) {
    // Adding the cell's bit carries through the run above it and stops at its end.
    const std::uint64_t upwards = ((walkable + cell) ^ walkable) & walkable;
    const std::uint64_t belowCell = cell - 1;
    const std::uint64_t gaps = ~walkable & belowCell;
    if (gaps == 0) return upwards | belowCell;
    const int lastGap = 63 - std::countl_zero(gaps);
    return upwards | (belowCell & ~((std::uint64_t{2} << lastGap) - 1));
}

struct FloodMasks {
    ColumnMasks walkable{}; // `through`, and the start cells whatever their tile
    ColumnMasks starts{};
    ColumnMasks targets{};
};

// The three masks come from one table load a cell: a tile's entry holds its three flags 21
// bits apart, and each third of a column (15 rows) gathers them in a word of its own, whose
// 21-bit fields are then the third's rows of each mask.
constexpr int ThirdRows = GridHeight / 3;
constexpr int FieldBits = 21;
enum FloodField { Walk, Start, Target };
static_assert(3 * ThirdRows == GridHeight && ThirdRows <= FieldBits && 3 * FieldBits <= 64);

FloodMasks floodMasks(const LevelGrid& grid, const FloodTiles& tiles) {
    constexpr std::uint64_t thirdMask = (std::uint64_t{1} << ThirdRows) - 1;
    FloodMasks masks;
    for (int x = 0; x < GridWidth; ++x) {
        const TileIndex* column = &grid.cells[LevelGrid::indexOf(x, 0)];
        std::array<std::uint64_t, 3> thirds{};
#pragma GCC unroll 45
        for (int y = 0; y < GridHeight; ++y)
            thirds[y / ThirdRows] |= tiles.fieldsOf(column[y]) << (y % ThirdRows);
        for (int third = 0; third < 3; ++third) {
            const auto rows = [&](FloodField field) {
                return (thirds[third] >> (field * FieldBits) & thirdMask) << (third * ThirdRows);
            };
            masks.walkable[x] |= rows(Walk);
            masks.starts[x] |= rows(Start);
            masks.targets[x] |= rows(Target);
        }
    }
    return masks;
}

// Every run of walkable cells connected to a start cell.
ColumnMasks flood(const FloodMasks& masks) {
    ColumnMasks reached{};
    // Each run is pushed once, when first reached; no column has more than 23 runs. A run is
    // kept as one of its cells, x * 64 + y in one word: two narrow stores read back as one
    // word would stall every pop.
    std::array<std::uint16_t, GridWidth*(GridHeight + 1) / 2> pending;
    std::size_t count = 0;
    const auto reach = [&](int x, std::uint64_t candidates) {
        while (candidates != 0) {
            const std::uint64_t cell = candidates & -candidates;
            const std::uint64_t run = runThrough(masks.walkable[x], cell);
            reached[x] |= run;
            candidates &= ~run;
            pending[count++] = std::uint16_t(x << 6 | std::countr_zero(cell));
        }
    };
    for (int x = 0; x < GridWidth; ++x)
        reach(x, masks.starts[x] & ~reached[x]);
    while (count != 0) {
        const int x = pending[--count] >> 6;
        const std::uint64_t run =
            runThrough(masks.walkable[x], std::uint64_t{1} << (pending[count] & 63));
        if (x > 0) reach(x - 1, run & masks.walkable[x - 1] & ~reached[x - 1]);
        if (x + 1 < GridWidth) reach(x + 1, run & masks.walkable[x + 1] & ~reached[x + 1]);
    }
    return reached;
}

} // namespace

FloodTiles::FloodTiles(TileIndex from, const TileSet& to, const TileSet& through) {
    for (int tile = 0; tile < 256; ++tile) {
        const auto flag = [](bool set, FloodField field) {
            return std::uint64_t{set} << (field * FieldBits);
        };
        // A start cell is walked from whatever its tile.
        const bool start = tile == from;
        fields_[tile] = flag(through.contains(TileIndex(tile)) || start, Walk) |
                        flag(start, Start) | flag(to.contains(TileIndex(tile)), Target);
    }
}

std::optional<CellFaults> unreachableCells(const LevelGrid& grid, const FloodTiles& tiles) {
    const FloodMasks masks = floodMasks(grid, tiles);
    std::uint64_t anyTarget = 0;
    for (const std::uint64_t column : masks.targets)
        anyTarget |= column;
    if (anyTarget == 0) return std::nullopt;
    const ColumnMasks reached = flood(masks);
    ColumnMasks unreached;
    for (int x = 0; x < GridWidth; ++x) {
        // A target one step from a reached cell is reached: the step may end on it.
        std::uint64_t near = reached[x] | reached[x] << 1 | reached[x] >> 1;
        if (x > 0) near |= reached[x - 1];
        if (x + 1 < GridWidth) near |= reached[x + 1];
        unreached[x] = masks.targets[x] & ~near;
    }
    return faultsAmong(unreached);
}

} // namespace qorv
