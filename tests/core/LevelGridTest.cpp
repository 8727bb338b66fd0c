#include "core/LevelGrid.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

LevelGrid filledWith(TileIndex tile) {
    LevelGrid grid;
    grid.cells.fill(tile);
    return grid;
}

LevelGrid newLevel() {
    LevelGrid grid;
    ClearFull(grid);
    return grid;
}

TEST(LevelGrid, CellsAreStoredColumnByColumn) {
    struct Row {
        int x, y, byte;
    } rows[] = {{0, 0, 0}, {0, 44, 44}, {1, 0, 45}, {63, 0, 2835}, {63, 44, 2879}, {2, 3, 93}};
    for (const Row& row : rows) {
        LevelGrid grid;
        grid.at(row.x, row.y) = 7;
        EXPECT_EQ(grid.cells[row.byte], 7) << row.x << "," << row.y;
    }
}

TEST(ClearFull, WallsOnTheBorderFloorInsideWhateverWasThere) {
    for (const TileIndex before : {0, 1, 0xAB, 255}) {
        LevelGrid grid = filledWith(before);
        ClearFull(grid);
        int walls = 0, floors = 0;
        for (int x = 0; x < GridWidth; ++x)
            for (int y = 0; y < GridHeight; ++y) {
                const bool border = x == 0 || x == 63 || y == 0 || y == 44;
                EXPECT_EQ(grid.at(x, y), border ? 1 : 0) << x << "," << y;
                (border ? walls : floors) += 1;
            }
        EXPECT_EQ(walls, 214);
        EXPECT_EQ(floors, 2666);
    }
}

TEST(ClearFull, CornersAndEdgesOfTheNewLevel) {
    // Top-left and bottom-right 3 x 3 corners, as the level shows them.
    const char* topLeft[] = {"111", "100", "100"};
    const char* bottomRight[] = {"001", "001", "111"};
    const LevelGrid grid = newLevel();
    for (int dy = 0; dy < 3; ++dy)
        for (int dx = 0; dx < 3; ++dx) {
            EXPECT_EQ(grid.at(dx, dy), topLeft[dy][dx] - '0');
            EXPECT_EQ(grid.at(61 + dx, 42 + dy), bottomRight[dy][dx] - '0');
        }
}

TEST(IsInterior, BorderAndInteriorCells) {
    struct Row {
        int x, y;
        bool interior;
    } rows[] = {{0, 0, false},   {1, 1, true},   {62, 43, true}, {63, 43, false},
                {62, 44, false}, {0, 20, false}, {30, 0, false}, {30, 20, true}};
    for (const Row& row : rows)
        EXPECT_EQ(isInterior(row.x, row.y), row.interior);
}

TEST(DoBackUp, CopiesTheWholeGrid) {
    LevelGrid map = newLevel();
    map.at(5, 6) = 77;
    LevelGrid backup = filledWith(9);
    DoBackUp(map, backup);
    EXPECT_EQ(backup, map);
}

TEST(UndoExchange, FirstUndoAfterStartUpSwapsWithTheAllZeroGrid) {
    LevelGrid map = newLevel();
    LevelGrid backup{}; // start-up: nothing backed up, every cell tile 0
    LevelGrid swap{};
    undoExchange(map, backup, swap);
    EXPECT_EQ(map, filledWith(0));
    EXPECT_EQ(backup, newLevel());
    EXPECT_EQ(swap, backup);
}

TEST(UndoExchange, TwoExchangesRestoreBothGrids) {
    LevelGrid before = newLevel();
    before.at(10, 10) = 42;
    LevelGrid backupBefore = filledWith(3);
    LevelGrid map = before, backup = backupBefore, swap = filledWith(200);
    undoExchange(map, backup, swap);
    EXPECT_EQ(map, backupBefore);
    EXPECT_EQ(backup, before);
    EXPECT_EQ(swap, before);
    undoExchange(map, backup, swap);
    EXPECT_EQ(map, before);
    EXPECT_EQ(backup, backupBefore);
}

TEST(UndoExchange, BackupAfterAnExchangeDropsTheExchangedState) {
    LevelGrid map = filledWith(1), backup = filledWith(2), swap{};
    undoExchange(map, backup, swap); // map 2, backup 1
    map.at(4, 4) = 9;
    DoBackUp(map, backup);
    EXPECT_EQ(backup, map);
    undoExchange(map, backup, swap);
    EXPECT_EQ(map.at(4, 4), 9); // the state 1 is gone
    EXPECT_EQ(map.at(0, 0), 2);
}

} // namespace
} // namespace qorv
