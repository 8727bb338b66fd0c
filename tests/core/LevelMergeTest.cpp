// Comparing and merging levels cell by cell. Each grid is a few rows of level-file
// characters in the top-left corner; every other cell is tile 0.

#include "core/LevelMerge.h"
#include "AsciiGrid.h"
#include "LevelTextSamples.h"
#include "core/ConflictMarkers.h"
#include "core/ConflictedLevel.h"
#include "core/LevelDiff.h"
#include "core/OpenConflicts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

namespace qorv {
namespace {

using test::grid;
using test::joinLines;
using test::Rows;
using test::sampleGrid;
using test::sampleRows;

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

// The sample level's rows with the lines `block` in place of row `row`; row `row` of each
// block line that is a row takes its characters from `changes` ("x=c" pairs of the block line).
std::string withBlock(int row, const std::vector<std::string>& block) {
    std::vector<std::string> lines = sampleRows();
    lines.erase(lines.begin() + row);
    lines.insert(lines.begin() + row, block.begin(), block.end());
    return joinLines(lines);
}

// Sample row `y` with the cells `x` set to the characters given.
std::string changedRow(int y, std::initializer_list<std::pair<int, char>> cells) {
    std::string row = test::sampleRow(y);
    for (const auto& [x, c] : cells)
        row[std::size_t(x)] = c;
    return row;
}

TEST(ConflictedLevel, WrittenAndReadBackWithEachSideAndItsPlaces) {
    const LevelGrid base = sampleGrid();
    LevelGrid ours = base, theirs = base;
    ours.at(3, 2) = 30, theirs.at(3, 2) = 31;   // a conflict
    ours.at(9, 2) = 20, theirs.at(5, 2) = 21;   // each side alone, in a row with a conflict
    ours.at(1, 3) = 22, theirs.at(1, 3) = 23;   // the next row: one block for both
    theirs.at(7, 5) = 26;                       // a row without conflicts
    ours.at(0, 44) = 24, theirs.at(0, 44) = 25; // the last row
    const LevelMergeResult merge = mergeLevels(base, ours, theirs);
    ASSERT_EQ(merge.conflicts.size(), 3u);
    const std::vector<std::string> rows = sampleRows();
    std::string ours2 = rows[2], ours3 = rows[3], ours44 = rows[44];
    ours2[3] = 'U', ours2[9] = 'K', ours2[5] = 'L', ours3[1] = 'M', ours44[0] = 'O';
    std::string theirs2 = ours2, theirs3 = ours3, theirs44 = ours44;
    theirs2[3] = 'V', theirs3[1] = 'N', theirs44[0] = 'P';
    std::string row5 = rows[5];
    row5[7] = 'Q';
    for (const LevelGrid* withBase : {&base, static_cast<const LevelGrid*>(nullptr)}) {
        std::vector<std::string> lines{rows[0], rows[1], "<<<<<<< ours", ours2, ours3};
        if (withBase) lines.insert(lines.end(), {"||||||| base", rows[2], rows[3]});
        lines.insert(lines.end(), {"=======", theirs2, theirs3, ">>>>>>> theirs", rows[4], row5});
        lines.insert(lines.end(), rows.begin() + 6, rows.begin() + 44);
        lines.insert(lines.end(), {"<<<<<<< ours", ours44});
        if (withBase) lines.insert(lines.end(), {"||||||| base", rows[44]});
        lines.insert(lines.end(), {"=======", theirs44, ">>>>>>> theirs"});
        std::array<int, GridHeight> written{};
        const std::string text = std::get<std::string>(
            formatConflictedLevel(merge.merged, merge.conflicts, withBase, &written));
        EXPECT_TRUE(text == joinLines(lines)) << text;

        const auto read = std::get<ConflictedLevel>(parseConflictedLevel(text));
        EXPECT_EQ(read.merged, merge.merged);
        EXPECT_EQ(read.hasBase, withBase != nullptr);
        std::vector<CellConflict> expected = merge.conflicts;
        if (!withBase)
            for (CellConflict& conflict : expected)
                conflict.base = std::nullopt;
        EXPECT_EQ(read.conflicts, expected);
        const std::array<int, 5> oursLines{1, 2, 4, 5, withBase ? 13 : 10};
        for (std::size_t y = 0; y < oursLines.size(); ++y)
            EXPECT_EQ(read.oursLines[y], oursLines[y]) << y;
        EXPECT_EQ(read.oursLines[44], withBase ? 54 : 51);
        EXPECT_EQ(written, read.oursLines);
    }
}

TEST(ConflictedLevel, GitsLineMarkersMergeTheCellsOnlyTheBaseCanTell) {
    // Row 1: ours changed cells 0 and 2, theirs cells 2 and 4.
    const std::string ours = changedRow(1, {{0, 'a'}, {2, 'b'}});
    const std::string theirs = changedRow(1, {{2, 'c'}, {4, 'd'}});
    const LevelGrid both = test::withCell(test::withCell(sampleGrid(), 0, 1, 36), 4, 1, 39);
    const struct {
        std::string text;
        bool hasBase;
        LevelGrid merged;
        std::vector<CellConflict> conflicts;
    } table[] = {
        // diff3: the base tells which side changed a cell.
        {withBlock(1, {"<<<<<<< HEAD", ours, "||||||| merged common ancestors", test::sampleRow(1),
                       "=======", theirs, ">>>>>>> other"}),
         true,
         test::withCell(both, 2, 1, 37),
         {{2, 1, 3, 37, 38}}},
        // Without the base every cell the rows differ in is a conflict.
        {withBlock(1, {"<<<<<<< HEAD", ours, "=======", theirs, ">>>>>>> other"}),
         false,
         test::withCell(test::withCell(sampleGrid(), 0, 1, 36), 2, 1, 37),
         {{0, 1, std::nullopt, 36, 1}, {2, 1, std::nullopt, 37, 38}, {4, 1, std::nullopt, 5, 39}}},
        // A base part that does not match the sides row for row tells nothing.
        {withBlock(1, {"<<<<<<< HEAD", ours, "||||||| base", "=======", theirs, ">>>>>>> other"}),
         false,
         test::withCell(test::withCell(sampleGrid(), 0, 1, 36), 2, 1, 37),
         {{0, 1, std::nullopt, 36, 1}, {2, 1, std::nullopt, 37, 38}, {4, 1, std::nullopt, 5, 39}}},
        // Markers ended by LF in a file of CR LF rows, as some tools write them.
        {withBlock(1, {"<<<<<<< HEAD\n" + ours, "=======\n" + theirs, ">>>>>>> other"}),
         false,
         test::withCell(test::withCell(sampleGrid(), 0, 1, 36), 2, 1, 37),
         {{0, 1, std::nullopt, 36, 1}, {2, 1, std::nullopt, 37, 38}, {4, 1, std::nullopt, 5, 39}}},
    };
    for (const auto& row : table) {
        const auto read = parseConflictedLevel(row.text);
        ASSERT_TRUE(std::holds_alternative<ConflictedLevel>(read)) << row.text;
        const auto& level = std::get<ConflictedLevel>(read);
        EXPECT_EQ(level.hasBase, row.hasBase);
        EXPECT_EQ(level.merged, row.merged);
        EXPECT_EQ(level.conflicts, row.conflicts);
        EXPECT_EQ(resolvedLevel(level, ConflictSide::Base).has_value(), row.hasBase);
        LevelGrid theirsWay = row.merged;
        for (const CellConflict& conflict : row.conflicts)
            theirsWay.at(conflict.x, conflict.y) = conflict.theirs;
        EXPECT_EQ(resolvedLevel(level, ConflictSide::Theirs), theirsWay);
        EXPECT_EQ(resolvedLevel(level, ConflictSide::Ours), row.merged);
    }
}

TEST(ConflictedLevel, DamageBeyondTheMarkersIsRefusedWithItsPlace) {
    const std::string row = test::sampleRow(1);
    const struct {
        std::string text;
        ConflictDamage damage;
        int line, column;
    } table[] = {
        {withBlock(1, {"<<<<<<< ours", row, "=======", row}), ConflictDamage::Unclosed, 2, 0},
        {withBlock(1, {"<<<<<<< ours", row, "|||||||"}), ConflictDamage::Unclosed, 2, 0},
        {withBlock(1, {"<<<<<<< ours", row, ">>>>>>> theirs"}), ConflictDamage::StrayMarker, 4, 0},
        {withBlock(1, {"<<<<<<< a", "<<<<<<< b", row, "=======", row, ">>>>>>> c"}),
         ConflictDamage::StrayMarker, 3, 0},
        {withBlock(1, {"<<<<<<< ours", row.substr(0, 63), "=======", row, ">>>>>>> theirs"}),
         ConflictDamage::ShortRow, 3, 64},
        {withBlock(1, {"<<<<<<< ours", row, "=======", row.substr(0, 10), ">>>>>>> theirs"}),
         ConflictDamage::ShortRow, 5, 11},
        {withBlock(1, {"<<<<<<< ours", row, "=======", ">>>>>>> theirs"}),
         ConflictDamage::MissingRows, 48, 65},
    };
    for (const auto& row : table) {
        const auto read = parseConflictedLevel(row.text);
        ASSERT_TRUE(std::holds_alternative<DamagedConflict>(read)) << row.line;
        const auto& damaged = std::get<DamagedConflict>(read);
        EXPECT_EQ(damaged.damage, row.damage) << row.text;
        EXPECT_EQ(damaged.where.line, row.line) << row.text;
        EXPECT_EQ(damaged.where.column, row.column) << row.text;
    }
    for (const std::string& plain : {joinLines(sampleRows()), withBlock(1, {"=======", ">>>>>>>"}),
                                     withBlock(1, {" <<<<<<<", "<<<<<<<<", "=======", ">>>>>>>"}),
                                     joinLines(sampleRows()) + "\x1A<<<<<<<\r\n"})
        EXPECT_TRUE(std::holds_alternative<NoConflictMarkers>(parseConflictedLevel(plain)));
}

} // namespace
} // namespace qorv

namespace qorv {
namespace {

// Three conflicts in reading order, the last without a base: (1, 0), (3, 0), (0, 1).
OpenConflicts threeConflicts() {
    OpenConflicts open;
    open.show({{1, 0, 0, 5, 6}, {3, 0, 2, 7, 8}, {0, 1, std::nullopt, 9, 4}});
    return open;
}

TEST(OpenConflicts, GoesRoundTheLevelInReadingOrder) {
    const OpenConflicts open = threeConflicts();
    const struct {
        int x, y;
        bool forward;
        int toX, toY;
    } rows[] = {
        {-1, -1, true, 1, 0}, {1, 0, true, 3, 0},    {2, 0, true, 3, 0},
        {3, 0, true, 0, 1},   {0, 1, true, 1, 0},    {0, 1, false, 3, 0},
        {1, 0, false, 0, 1},  {63, 44, false, 0, 1}, {2, 0, false, 1, 0},
    };
    for (const auto& row : rows) {
        const CellConflict* to =
            row.forward ? open.next(row.x, row.y) : open.previous(row.x, row.y);
        ASSERT_NE(to, nullptr);
        EXPECT_EQ(std::pair(to->x, to->y), std::pair(row.toX, row.toY))
            << row.x << "," << row.y << (row.forward ? " next" : " previous");
    }
    EXPECT_EQ(open.at(3, 0)->theirs, 8);
    EXPECT_EQ(open.at(2, 0), nullptr);
    EXPECT_EQ(OpenConflicts().next(0, 0), nullptr);
}

TEST(OpenConflicts, TakesASideForTheChosenCellsAndUndoesWithTheGrid) {
    OpenConflicts open = threeConflicts();
    LevelGrid level = grid({"05070", "9"});
    open.backUp();
    // The base of a conflict without one is not taken: it stays a conflict.
    const auto taken = open.take(level, ConflictSide::Base, [](int, int) { return true; });
    EXPECT_EQ(taken.size(), 2u);
    EXPECT_EQ(level, grid({"00020", "9"}));
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.all().front().x, 0);
    EXPECT_TRUE(open.resolving());
    open.exchange();
    EXPECT_EQ(open.count(), 3);
    open.take(level, ConflictSide::Theirs, [](int x, int y) { return x == 0 && y == 1; });
    EXPECT_EQ(level, grid({"00020", "4"}));
    EXPECT_EQ(conflictTiles(*open.at(1, 0)), "ours 5, theirs 6, base 0");
    EXPECT_EQ(conflictTiles(CellConflict{0, 1, std::nullopt, 9, 4}), "ours 9, theirs 4, no base");
    open.resolveAll();
    open.exchange();
    EXPECT_FALSE(open.resolving());
    EXPECT_EQ(open.count(), 0);
}

} // namespace
} // namespace qorv
