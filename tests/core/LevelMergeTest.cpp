// Comparing and merging levels cell by cell. Each grid is a few rows of level-file
// characters in the top-left corner; every other cell is tile 0.

#include "core/LevelMerge.h"
#include "AsciiGrid.h"
#include "core/ConflictMarkers.h"
#include "core/LevelDiff.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

namespace qorv {
namespace {

using test::grid;
using test::Rows;

TEST(LevelDiff, ListsTheChangedCellsRowByRow) {
    const struct {
        Rows from, to;
        std::vector<CellChange> changes;
    } table[] = {
        {{"00", "00"}, {"00", "00"}, {}},
        {{"0"}, {"n"}, {{0, 0, 0, 244}}},
        // Row by row, although the grid is stored column by column.
        {{"00", "00"}, {"05", "70"}, {{1, 0, 0, 5}, {0, 1, 0, 7}}},
        {{"123", "456"}, {"1A3", "4Z6"}, {{1, 0, 2, 10}, {1, 1, 5, 35}}},
    };
    for (const auto& row : table)
        EXPECT_EQ(diffLevels(grid(row.from), grid(row.to)), row.changes);
}

TEST(LevelDiff, ReachesEveryCornerOfTheGrid) {
    LevelGrid walled;
    ClearFull(walled);
    const std::vector<CellChange> changes = diffLevels(LevelGrid{}, walled);
    ASSERT_EQ(changes.size(), 2u * 64 + 2u * 43);
    EXPECT_EQ(changes.front(), (CellChange{0, 0, 0, 1}));
    EXPECT_EQ(changes.back(), (CellChange{63, 44, 0, 1}));
}

TEST(LevelMerge, KeepsEachSidesChangesAndReportsOnlyDifferentChangesOfOneCell) {
    constexpr std::nullopt_t none = std::nullopt;
    const struct {
        std::optional<LevelGrid> base;
        Rows ours, theirs, merged;
        std::vector<CellConflict> conflicts;
    } table[] = {
        {grid({"000"}), {"000"}, {"000"}, {"000"}, {}},
        // Different cells of one row: both changes.
        {grid({"000"}), {"100"}, {"002"}, {"102"}, {}},
        {grid({"345"}), {"305"}, {"345"}, {"305"}, {}},
        // The same change on both sides.
        {grid({"000"}), {"070"}, {"070"}, {"070"}, {}},
        // Different changes of one cell: ours's tile, and the conflict.
        {grid({"000"}), {"080"}, {"090"}, {"080"}, {{1, 0, 0, 8, 9}}},
        {grid({"00", "00"}),
         {"01", "20"},
         {"03", "40"},
         {"01", "20"},
         {{1, 0, 0, 1, 3}, {0, 1, 0, 2, 4}}},
        // No common ancestor: every cell where the sides differ.
        {none, {"12", "5"}, {"13", "5"}, {"12", "5"}, {{1, 0, none, 2, 3}}},
        {none, {"4"}, {"4"}, {"4"}, {}},
    };
    for (const auto& row : table) {
        const LevelMergeResult result = mergeLevels(row.base, grid(row.ours), grid(row.theirs));
        EXPECT_EQ(result.merged, grid(row.merged)) << *row.ours.begin();
        EXPECT_EQ(result.conflicts, row.conflicts) << *row.ours.begin();
    }
}

TEST(ConflictMarkers, FindTheFirstWholeConflictAsATextEditorCountsLines) {
    const struct {
        std::string_view bytes;
        std::optional<int> line;
    } table[] = {
        {"", std::nullopt},
        {"11\r\n<<<<<<< HEAD\r\n12\r\n=======\r\n13\r\n>>>>>>> other\r\n", 2},
        {"1\n2\n<<<<<<< ours\n=======\n>>>>>>> theirs\n", 3},
        {"1\r2\r<<<<<<<\r=======\r>>>>>>>", 3},
        {"1\r\n\r\n\n<<<<<<<\n=======\n>>>>>>>\n", 4},
        // Not a whole conflict, or not at the start of a line.
        {"<<<<<<< ours\n=======\n", std::nullopt},
        {"=======\n<<<<<<<\n>>>>>>>\n", std::nullopt},
        {" <<<<<<<\n=======\n>>>>>>>\n", std::nullopt},
    };
    for (const auto& row : table)
        EXPECT_EQ(conflictMarkerLine(row.bytes), row.line) << row.bytes;
}

} // namespace
} // namespace qorv
