// The level rules' checks over small levels: which cell each names first (reading order, not
// the grid's column order), how many it counts, and the edges of the grid where a column-major
// index runs on into the next column.

#include "core/LevelRules.h"
#include "AsciiGrid.h"

#include <gtest/gtest.h>

#include <optional>

namespace qorv {
namespace {

using test::filled;
using test::grid;
using test::withCell;

constexpr std::nullopt_t passes = std::nullopt;

LevelGrid walled() {
    LevelGrid level;
    ClearFull(level);
    return level;
}

TEST(LevelRules, CellsHoldingTilesNameTheFirstInReadingOrder) {
    const struct {
        LevelGrid level;
        std::optional<CellFaults> faults;
    } table[] = {
        {grid({"000", "010"}), passes},
        {grid({"000", "020"}), CellFaults{{1, 1}, 1}},
        {grid({"0030", "2000"}), CellFaults{{2, 0}, 2}},
        {withCell({}, 63, 44, 3), CellFaults{{63, 44}, 1}},
    };
    for (const auto& row : table)
        EXPECT_EQ(cellsHolding(row.level, TileSet{2, 3}), row.faults);
}

TEST(LevelRules, BorderCellsOutsideTheAllowedTiles) {
    const struct {
        LevelGrid level;
        std::optional<CellFaults> faults;
    } table[] = {
        {walled(), passes},
        {grid({"1111", "1221"}, walled()), passes},
        {grid({"1101"}, walled()), CellFaults{{2, 0}, 1}},
        {grid({"1111", "0001"}, walled()), CellFaults{{0, 1}, 1}},
        {withCell(walled(), 63, 44, 0), CellFaults{{63, 44}, 1}},
        {withCell(withCell(walled(), 63, 5, 0), 10, 0, 3), CellFaults{{10, 0}, 2}},
        {filled(0), CellFaults{{0, 0}, 214}},
    };
    for (const auto& row : table)
        EXPECT_EQ(borderCellsOutside(row.level, TileSet{1}), row.faults);
}

TEST(LevelRules, TileCountsOutsideTheirBounds) {
    constexpr std::nullopt_t none = std::nullopt;
    const struct {
        LevelGrid level;
        std::optional<int> min, max;
        std::optional<TileCountFault> fault;
    } table[] = {
        {grid({"2"}), 1, 1, passes},
        {grid({"0"}), 1, 1, TileCountFault{0, none}},
        {grid({"2"}), 2, none, TileCountFault{1, none}},
        // The first cell past the maximum, in reading order.
        {grid({"2002", "2"}), 1, 1, TileCountFault{3, Cell{3, 0}}},
        {grid({"02"}), none, 0, TileCountFault{1, Cell{1, 0}}},
        {filled(2), none, 2880, passes},
    };
    for (const auto& row : table)
        EXPECT_EQ(tileCountOutside(row.level, 2, row.min, row.max), row.fault);
}

TEST(LevelRules, ForbiddenNeighboursInEitherOrder) {
    NeighbourBan ban;
    ban.forbid(3, 4);
    ban.forbid(5, 5);
    const struct {
        LevelGrid level;
        std::optional<NeighbourFault> fault;
    } table[] = {
        {grid({"34"}), NeighbourFault{{0, 0}, {1, 0}, 1}},
        {grid({"43"}), NeighbourFault{{0, 0}, {1, 0}, 1}},
        {grid({"3", "4"}), NeighbourFault{{0, 0}, {0, 1}, 1}},
        {grid({"0340", "0400"}), NeighbourFault{{1, 0}, {2, 0}, 2}},
        {grid({"055"}), NeighbourFault{{1, 0}, {2, 0}, 1}},
        {grid({"303", "040", "5"}), passes}, // diagonals
        // The bottom of a column and the top of the next are neighbours in memory only.
        {withCell(withCell({}, 0, 44, 3), 1, 0, 4), passes},
        {withCell(withCell({}, 63, 0, 3), 0, 1, 4), passes},
        // Between the last two rows, and the last two columns.
        {withCell(withCell({}, 7, 43, 4), 7, 44, 3), NeighbourFault{{7, 43}, {7, 44}, 1}},
        {withCell(withCell({}, 62, 9, 3), 63, 9, 4), NeighbourFault{{62, 9}, {63, 9}, 1}},
    };
    for (const auto& row : table)
        EXPECT_EQ(forbiddenNeighbours(row.level, ban), row.fault);
}

TEST(LevelRules, UnreachableCellsOfTheFloodFill) {
    const FloodTiles exits(2, TileSet{5}, TileSet{0, 2, 5});
    const FloodTiles exitsInWalls(2, TileSet{5}, TileSet{0, 2});
    const LevelGrid walls = filled(1);
    const struct {
        const FloodTiles& tiles;
        LevelGrid level;
        std::optional<CellFaults> faults;
    } table[] = {
        {exits, grid({"2005"}, walls), passes},
        {exits, grid({"2015"}, walls), CellFaults{{3, 0}, 1}},
        {exits, grid({"0005"}, walls), CellFaults{{3, 0}, 1}}, // no start
        {exits, grid({"21", "05"}, walls), passes},
        {exitsInWalls, grid({"15", "20"}, walls), passes}, // directly above a reached cell
        // A corridor that turns back on itself, left and right.
        {exits, grid({"2000000", "1111110", "0000000", "0111111", "0000005"}, walls), passes},
        {exits, grid({"2000000", "1111110", "0000000", "1111111", "0000005"}, walls),
         CellFaults{{6, 4}, 1}},
        {exits, grid({"2010", "1015", "5110"}, walls), CellFaults{{3, 1}, 2}},
        // The last step may end on an exit outside the walkable tiles, and go no further.
        {exitsInWalls, grid({"2005"}, walls), passes},
        {exitsInWalls, grid({"20", "15"}, walls), passes},
        {exitsInWalls, grid({"2055"}, walls), CellFaults{{3, 0}, 1}},
        // A whole column and a whole row; the far corners of an open level.
        {exits, withCell(withCell(grid({"0"}, filled(0)), 63, 44, 2), 0, 0, 5), passes},
        {exits, grid({"2", "0", "0", "0", "0"}, withCell(walls, 0, 44, 5)), CellFaults{{0, 44}, 1}},
    };
    for (const auto& row : table)
        EXPECT_EQ(unreachableCells(row.level, row.tiles), row.faults);
}

TEST(LevelRules, FloodFillCrossesEveryRowAndColumn) {
    const FloodTiles exits(2, TileSet{5}, TileSet{0, 2, 5});
    LevelGrid column = filled(1);
    for (int y = 0; y < GridHeight; ++y)
        column.at(40, y) = 0;
    column.at(40, 0) = 2;
    column.at(40, 44) = 5;
    EXPECT_EQ(unreachableCells(column, exits), passes);
    LevelGrid split = withCell(withCell(filled(0), 63, 44, 2), 0, 0, 5);
    for (int y = 0; y < GridHeight; ++y)
        split.at(32, y) = 1;
    EXPECT_EQ(unreachableCells(split, exits), (CellFaults{{0, 0}, 1}));
}

} // namespace
} // namespace qorv
