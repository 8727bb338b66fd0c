#include "core/Brush.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace qorv {
namespace {

constexpr TileIndex Paint = 9;

LevelGrid newLevel() {
    LevelGrid map;
    ClearFull(map);
    return map;
}

int countTile(const LevelGrid& map, TileIndex tile) {
    int n = 0;
    for (TileIndex t : map.cells)
        n += t == tile;
    return n;
}

// The cells around (cx, cy) as text, '#' for Paint, one line per row.
std::string window(const LevelGrid& map, int cx, int cy, int reach) {
    std::string text;
    for (int y = cy - reach; y <= cy + reach; ++y) {
        for (int x = cx - reach; x <= cx + reach; ++x)
            text += map.at(x, y) == Paint ? '#' : '.';
        text += '\n';
    }
    return text;
}

struct DiscCase {
    int size;
    int cells;
    const char* shape; // 7 x 7 cells around the centre
};

TEST(Applybrush, DiscsOfTheSmallestSizes) {
    const DiscCase cases[] = {
        {1, 1,
         "......."
         "......."
         "......."
         "...#..."
         "......."
         "......."
         "......."},
        {2, 5,
         "......."
         "......."
         "...#..."
         "..###.."
         "...#..."
         "......."
         "......."},
        {3, 9,
         "......."
         "......."
         "..###.."
         "..###.."
         "..###.."
         "......."
         "......."},
        {4, 13,
         "......."
         "...#..."
         "..###.."
         ".#####."
         "..###.."
         "...#..."
         "......."},
        {5, 21,
         "......."
         "..###.."
         ".#####."
         ".#####."
         ".#####."
         "..###.."
         "......."},
        {6, 29,
         "...#..."
         ".#####."
         ".#####."
         "#######"
         ".#####."
         ".#####."
         "...#..."},
    };
    for (const DiscCase& c : cases) {
        LevelGrid map = newLevel();
        applybrush(map, selectall(), 31, 22, c.size, Paint);
        std::string expected;
        for (int row = 0; row < 7; ++row)
            expected += std::string(c.shape + row * 7, 7) + "\n";
        EXPECT_EQ(window(map, 31, 22, 3), expected) << "size " << c.size;
        EXPECT_EQ(countTile(map, Paint), c.cells) << "size " << c.size;
    }
}

TEST(Applybrush, Size25Writes489CellsReaching12) {
    LevelGrid map = newLevel();
    const auto box = applybrush(map, selectall(), 31, 22, 25, Paint);
    EXPECT_EQ(countTile(map, Paint), 489);
    EXPECT_EQ(box, (CellBox{19, 10, 43, 34}));
}

TEST(Applybrush, Size30Reaches15Cells) {
    LevelGrid map = newLevel();
    const auto box = applybrush(map, selectall(), 31, 22, 30, Paint);
    EXPECT_EQ(box, (CellBox{16, 7, 46, 37}));
    EXPECT_EQ(map.at(16, 22), Paint);
    EXPECT_EQ(map.at(31, 7), Paint);
    EXPECT_NE(map.at(16, 21), Paint); // 4 * (225 + 1) > 900
}

// Steps 2 to 5 followed literally, with the square root in floating point, for sizes
// small enough that the full square can be walked.
LevelGrid referenceStamp(LevelGrid map, const Selection& sel, int x, int y, int size) {
    for (int i = x - (size - 1); i <= x + (size - 1); ++i) {
        for (int j = y - (size - 1); j <= y + (size - 1); ++j) {
            if (!(0 < i && i < 63 && 0 < j && j < 44)) continue;
            if (!PointInRect(i, j, sel.SelX1, sel.SelY1, sel.SelX2 - 1, sel.SelY2 - 1)) continue;
            const double distance = std::sqrt(double((x - i) * (x - i) + (y - j) * (y - j)));
            if (size / 2.0 >= distance) map.at(i, j) = Paint;
        }
    }
    return map;
}

TEST(Applybrush, MatchesTheLiteralStepsNearBordersAndSelections) {
    const Selection selections[] = {selectall(),
                                    {0, 0, 63, 44, true},
                                    {10, 10, 20, 20, true},
                                    {20, 5, 30, 6, true},
                                    {30, 20, 10, 40, true}};
    const int centres[][2] = {{31, 22}, {1, 1},   {0, 0},   {62, 43}, {63, 44},
                              {-3, 22}, {70, 50}, {10, 10}, {19, 19}, {25, 5}};
    for (const Selection& sel : selections) {
        for (const auto& c : centres) {
            for (int size = -1; size <= 31; size += 2) {
                LevelGrid map = newLevel();
                applybrush(map, sel, c[0], c[1], size, Paint);
                ASSERT_EQ(map, referenceStamp(newLevel(), sel, c[0], c[1], size))
                    << sizeText(sel) << " at " << c[0] << "," << c[1] << " size " << size;
            }
        }
    }
}

TEST(Applybrush, NeverWritesTheBorder) {
    const Selection withBorder{0, 0, 63, 44, true};
    const int centres[][2] = {{0, 0}, {1, 1}, {63, 44}, {62, 43}, {0, 22}, {31, 44}};
    for (const auto& c : centres) {
        LevelGrid map = newLevel();
        applybrush(map, withBorder, c[0], c[1], 25, Paint);
        for (int x = 0; x < GridWidth; ++x) {
            for (int y = 0; y < GridHeight; ++y) {
                if (!isInterior(x, y)) {
                    ASSERT_EQ(map.at(x, y), WallTile) << x << "," << y;
                }
            }
        }
        EXPECT_GT(countTile(map, Paint), 0);
    }
}

struct BoxCase {
    Selection sel;
    int x, y, size;
    std::optional<CellBox> box;
    int cells;
};

TEST(Applybrush, ReturnsTheBoxOfTheWrittenCellsOnly) {
    const BoxCase cases[] = {
        {{10, 10, 20, 20, true}, 10, 10, 5, CellBox{10, 10, 12, 12}, 8},
        {{31, 1, 63, 44, true}, 31, 22, 6, CellBox{31, 19, 34, 25}, 18},
        {selectall(), -2, 22, 7, CellBox{1, 21, 1, 23}, 3},
        {selectall(), 1, 1, 1, CellBox{1, 1, 1, 1}, 1},
        {selectall(), 0, 0, 1, std::nullopt, 0},
        {selectall(), 0, 0, 2, std::nullopt, 0}, // reaches only border cells
        {selectall(), 0, 0, 3, CellBox{1, 1, 1, 1}, 1},
        {{10, 10, 20, 20, true}, 30, 30, 9, std::nullopt, 0},
    };
    for (const BoxCase& c : cases) {
        LevelGrid map = newLevel();
        EXPECT_EQ(applybrush(map, c.sel, c.x, c.y, c.size, Paint), c.box)
            << c.x << "," << c.y << " size " << c.size;
        EXPECT_EQ(countTile(map, Paint), c.cells) << c.x << "," << c.y << " size " << c.size;
    }
}

TEST(Applybrush, RewritingTheSameTileStillCounts) {
    LevelGrid map = newLevel();
    const auto box = applybrush(map, selectall(), 5, 5, 1, FloorTile);
    EXPECT_EQ(box, (CellBox{5, 5, 5, 5}));
    EXPECT_EQ(map, newLevel());
}

TEST(Applybrush, ReversedSelectionWritesNothing) {
    const Selection reversed[] = {
        {20, 10, 10, 30, true}, {10, 30, 20, 10, true}, {64, 45, 63, 44, true}};
    for (const Selection& sel : reversed) {
        for (int x = -5; x < 70; x += 3) {
            LevelGrid map = newLevel();
            EXPECT_EQ(applybrush(map, sel, x, x / 2, 25, Paint), std::nullopt);
            EXPECT_EQ(map, newLevel());
        }
    }
}

struct HugeCase {
    int x, y, size;
    int cells;
    std::optional<CellBox> box;
};

TEST(Applybrush, ExtremeSizesAndCentres) {
    const std::optional<CellBox> interior = CellBox{1, 1, 62, 43};
    const HugeCase cases[] = {
        {31, 22, 0, 0, std::nullopt},
        {31, 22, -1, 0, std::nullopt},
        {31, 22, INT_MIN, 0, std::nullopt},
        {31, 22, INT_MAX, 62 * 43, interior},
        {-1'000'000'000, 22, INT_MAX, 62 * 43, interior},
        {-2'000'000'000, 2'000'000'000, INT_MAX, 0, std::nullopt},
        {INT_MIN, INT_MIN, INT_MAX, 0, std::nullopt},
        {INT_MAX, INT_MAX, INT_MAX, 0, std::nullopt},
        {INT_MAX, 22, 25, 0, std::nullopt},
        {INT_MIN, 22, INT_MAX, 0, std::nullopt},
        // Reach 2^30 - 1: column 1 lies exactly on the rim, column 2 just beyond it.
        {-1'073'741'822, 22, INT_MAX, 43, CellBox{1, 1, 1, 43}},
    };
    for (const HugeCase& c : cases) {
        LevelGrid map = newLevel();
        EXPECT_EQ(applybrush(map, selectall(), c.x, c.y, c.size, Paint), c.box)
            << c.x << "," << c.y << " size " << c.size;
        EXPECT_EQ(countTile(map, Paint), c.cells) << c.x << "," << c.y << " size " << c.size;
    }
}

TEST(FillSelection, ResetSelectionWritesTheWholeInterior) {
    LevelGrid map = newLevel();
    EXPECT_EQ(fillSelection(map, selectall(), Paint), (CellBox{1, 1, 62, 43}));
    for (int x = 0; x < GridWidth; ++x)
        for (int y = 0; y < GridHeight; ++y)
            EXPECT_EQ(map.at(x, y), isInterior(x, y) ? Paint : WallTile) << x << "," << y;
}

struct FillCase {
    Selection sel;
    std::optional<CellBox> box;
};

TEST(FillSelection, WritesExactlyTheCoveredCellsBorderIncluded) {
    const FillCase cases[] = {
        {{0, 0, 5, 3, true}, CellBox{0, 0, 4, 2}},
        {{0, 10, 2, 12, true}, CellBox{0, 10, 1, 11}},
        {{0, 0, 63, 44, true}, CellBox{0, 0, 62, 43}},
        {{7, 8, 8, 9, true}, CellBox{7, 8, 7, 8}},
        {{20, 10, 10, 30, true}, std::nullopt},
        {{10, 30, 20, 10, true}, std::nullopt},
        {{64, 45, 63, 44, true}, std::nullopt},
        {{5, 5, 5, 9, false}, std::nullopt},
    };
    for (const FillCase& c : cases) {
        LevelGrid map = newLevel();
        EXPECT_EQ(fillSelection(map, c.sel, Paint), c.box) << sizeText(c.sel);
        for (int x = 0; x < GridWidth; ++x)
            for (int y = 0; y < GridHeight; ++y)
                ASSERT_EQ(map.at(x, y) == Paint, covers(c.sel, x, y)) << x << "," << y;
    }
}

TEST(FillSelection, CornersOutsideTheGridStayInsideIt) {
    LevelGrid map = newLevel();
    EXPECT_EQ(fillSelection(map, {-5, -5, 100, 100, true}, Paint), (CellBox{0, 0, 63, 44}));
    EXPECT_EQ(countTile(map, Paint), GridCells);
}

struct PickCase {
    int x, y;
    bool left;
    TileIndex fore, back;
};

TEST(PickTile, LeftPicksForegroundAnyOtherBackground) {
    LevelGrid map = newLevel();
    map.at(5, 6) = 42;
    const PickCase cases[] = {
        {5, 6, true, 42, 0},
        {5, 6, false, 2, 42},
        {0, 0, true, 1, 0},
        {63, 44, false, 2, 1},
    };
    for (const PickCase& c : cases) {
        TileIndex fore = 2;
        TileIndex back = 0;
        pickTile(map, c.x, c.y, c.left, fore, back);
        EXPECT_EQ(fore, c.fore);
        EXPECT_EQ(back, c.back);
    }
}

} // namespace
} // namespace qorv
