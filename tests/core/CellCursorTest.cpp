#include "core/CellCursor.h"

#include "AsciiGrid.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

// A new level with a run of tile 2 along row 3 (columns 1..4) and a wall cell at (5, 3).
const LevelGrid Runs = test::grid({"1111111111", "1000000000", "1000000000", "1222210000"}, [] {
    LevelGrid level;
    ClearFull(level);
    return level;
}());

struct MoveCase {
    CellCursor from;
    CursorStep step;
    CellCursor to;
};

TEST(CellCursor, EveryStepStaysInTheGridAsASpreadsheetsDoes) {
    const MoveCase cases[] = {
        {{5, 5}, CursorStep::Left, {4, 5}},
        {{0, 5}, CursorStep::Left, {0, 5}},
        {{62, 5}, CursorStep::Right, {63, 5}},
        {{63, 5}, CursorStep::Right, {63, 5}},
        {{5, 0}, CursorStep::Up, {5, 0}},
        {{5, 43}, CursorStep::Down, {5, 44}},
        {{5, 44}, CursorStep::Down, {5, 44}},
        {{7, 9}, CursorStep::RowStart, {0, 9}},
        {{7, 9}, CursorStep::RowEnd, {63, 9}},
        {{7, 25}, CursorStep::PageUp, {7, 15}},
        {{7, 5}, CursorStep::PageUp, {7, 0}},
        {{7, 30}, CursorStep::PageDown, {7, 40}},
        {{7, 40}, CursorStep::PageDown, {7, 44}},
        {{7, 9}, CursorStep::GridStart, {0, 0}},
        {{7, 9}, CursorStep::GridEnd, {63, 44}},
        // Runs: to the next cell of another tile, else the edge.
        {{0, 3}, CursorStep::RunRight, {1, 3}},
        {{1, 3}, CursorStep::RunRight, {5, 3}},
        {{5, 3}, CursorStep::RunRight, {6, 3}},
        {{6, 3}, CursorStep::RunRight, {63, 3}},
        {{4, 3}, CursorStep::RunLeft, {0, 3}},
        {{0, 0}, CursorStep::RunRight, {63, 0}},
        {{3, 3}, CursorStep::RunUp, {3, 2}},
        {{3, 2}, CursorStep::RunUp, {3, 0}},
        {{3, 1}, CursorStep::RunDown, {3, 3}},
        {{3, 3}, CursorStep::RunDown, {3, 4}},
        {{3, 4}, CursorStep::RunDown, {3, 44}},
        // A cursor outside the grid is brought into it first.
        {{-4, 50}, CursorStep::Right, {1, 44}},
        {{70, -3}, CursorStep::RunLeft, {0, 0}},
    };
    for (const MoveCase& c : cases) {
        const CellCursor to = moveCursor(Runs, c.from, c.step);
        EXPECT_EQ(to, c.to) << "from (" << c.from.x << ", " << c.from.y << ") step " << int(c.step)
                            << " gave (" << to.x << ", " << to.y << ")";
    }
}

struct SpanCase {
    CellCursor anchor, cursor;
    std::optional<Selection> selection;
};

TEST(CellCursor, ASelectionSpansBothCellsCutToTheInterior) {
    const SpanCase cases[] = {
        {{5, 3}, {5, 3}, Selection{5, 3, 6, 4, true}},
        {{5, 3}, {9, 7}, Selection{5, 3, 10, 8, true}},
        {{9, 7}, {5, 3}, Selection{5, 3, 10, 8, true}},
        {{0, 0}, {63, 44}, Selection{1, 1, 63, 44, true}},
        {{0, 5}, {2, 5}, Selection{1, 5, 3, 6, true}},
        {{0, 0}, {0, 9}, std::nullopt},
        {{4, 44}, {9, 44}, std::nullopt},
    };
    for (const SpanCase& c : cases)
        EXPECT_EQ(selectionBetween(c.anchor, c.cursor), c.selection)
            << "(" << c.anchor.x << ", " << c.anchor.y << ") to (" << c.cursor.x << ", "
            << c.cursor.y << ")";
}

} // namespace
} // namespace qorv
