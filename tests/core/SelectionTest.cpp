#include "core/Selection.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace qorv {
namespace {

struct LineCase {
    int pixel;
    int line;
};

TEST(GridLineOf, RoundsToNearestWithTiesToEven) {
    const LineCase cases[] = {
        {0, 0},
        {5, 0},
        {6, 1},
        {14, 1},
        {15, 2},
        {25, 2},
        {26, 3},
        {34, 3},
        {35, 4},
        {45, 4},
        {435, 44},
        {445, 44},
        {446, 45},
        {449, 45},
        {454, 45},
        {626, 63},
        {634, 63},
        {635, 64},
        {639, 64},
        {645, 64},
        {-1, 0},
        {-5, 0},
        {-6, -1},
        {-14, -1},
        {-15, -2},
        {-25, -2},
        {-26, -3},
        {-35, -4},
        {INT_MAX, 214748365},
        {INT_MIN, -214748365},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(gridLineOf(c.pixel), c.line) << "pixel " << c.pixel;
}

TEST(GridLineOf, AgreesWithFloatingPointRoundingToEven) {
    for (int p = -2000; p <= 2000; ++p)
        ASSERT_EQ(gridLineOf(p), static_cast<int>(std::nearbyint(p / 10.0))) << "pixel " << p;
}

TEST(CellOf, TruncatesTowardZero) {
    const LineCase cases[] = {{0, 0},  {9, 0},    {10, 1},   {639, 63}, {449, 44}, {-1, 0},
                              {-9, 0}, {-10, -1}, {-19, -1}, {-20, -2}, {640, 64}};
    for (const LineCase& c : cases)
        EXPECT_EQ(cellOf(c.pixel), c.line) << "pixel " << c.pixel;
}

struct PointCase {
    int x, y;
    bool inside;
};

TEST(PointInRect, AllFourEdgesBelongToTheRectangle) {
    // Rectangle (2, 3) - (5, 7), both corners included.
    const PointCase cases[] = {
        {2, 3, true},  {5, 7, true},  {5, 3, true},  {2, 7, true},  {3, 5, true},
        {1, 3, false}, {6, 3, false}, {2, 2, false}, {2, 8, false}, {6, 8, false},
    };
    for (const PointCase& c : cases)
        EXPECT_EQ(PointInRect(c.x, c.y, 2, 3, 5, 7), c.inside) << c.x << "," << c.y;
}

TEST(PointInRect, InvertedRectangleHoldsNoPoint) {
    for (int x = -2; x <= 12; ++x) {
        for (int y = -2; y <= 12; ++y) {
            EXPECT_FALSE(PointInRect(x, y, 5, 1, 4, 9));
            EXPECT_FALSE(PointInRect(x, y, 1, 5, 9, 4));
        }
    }
    EXPECT_TRUE(PointInRect(4, 4, 4, 4, 4, 4));
}

TEST(Selectall, IsTheWholeInteriorNotShown) {
    const Selection sel = selectall();
    EXPECT_EQ(sel, (Selection{1, 1, 63, 44, false}));
    EXPECT_EQ(sel, Selection{});
}

TEST(Covers, ResetSelectionCoversExactlyTheInterior) {
    const Selection sel = selectall();
    for (int x = -1; x <= 64; ++x) {
        for (int y = -1; y <= 45; ++y) {
            const bool interior = x >= 1 && x <= 62 && y >= 1 && y <= 43;
            EXPECT_EQ(covers(sel, x, y), interior) << x << "," << y;
        }
    }
}

TEST(Covers, ReversedCornersCoverNothing) {
    const Selection reversed[] = {{10, 5, 3, 9, true}, {3, 9, 10, 5, true}, {10, 9, 3, 5, true}};
    for (const Selection& sel : reversed) {
        for (int x = -1; x <= 64; ++x)
            for (int y = -1; y <= 45; ++y)
                EXPECT_FALSE(covers(sel, x, y)) << x << "," << y;
    }
}

struct OutlineCase {
    Selection sel;
    PixelRect rect;
    const char* size;
};

TEST(Outline, LiesOnTheFirstPixelLinesOutsideAndSizeIsPositive) {
    const OutlineCase cases[] = {
        {{3, 4, 10, 9, true}, {29, 39, 101, 91}, "(7 x 5)"},
        {{10, 9, 3, 4, true}, {29, 39, 101, 91}, "(7 x 5)"}, // dragged up and left
        {{10, 4, 3, 9, true}, {29, 39, 101, 91}, "(7 x 5)"}, // dragged left only
        {{1, 1, 63, 44, false}, {9, 9, 631, 441}, "(62 x 43)"},
        {{0, 0, 0, 0, false}, {-1, -1, 1, 1}, "(0 x 0)"}, // start on line 0
        {{64, 45, 64, 45, false}, {639, 449, 641, 451}, "(0 x 0)"},
        {{64, 45, 63, 44, false}, {629, 439, 641, 451}, "(1 x 1)"},
    };
    for (const OutlineCase& c : cases) {
        EXPECT_EQ(outlineRect(c.sel), c.rect);
        EXPECT_EQ(sizeText(c.sel), c.size);
    }
}

TEST(Outline, FarCornersDoNotOverflow) {
    const Selection sel{INT_MIN, INT_MIN, INT_MAX, INT_MAX, false};
    EXPECT_EQ(outlineRect(sel), (PixelRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
    EXPECT_EQ(sizeText(sel), "(4294967295 x 4294967295)");
}

struct StartCase {
    int px, py;
    int line1, line2;
};

TEST(StartSelection, PutsBothCornersOnTheNearestLinesUnclamped) {
    const StartCase cases[] = {{5, 5, 0, 0},      {0, 449, 0, 45}, {635, 446, 64, 45},
                               {639, 0, 64, 0},   {15, 25, 2, 2},  {-30, -60, -3, -6},
                               {316, 224, 32, 22}};
    for (const StartCase& c : cases) {
        Selection sel{7, 7, 20, 20, true};
        startSelection(sel, c.px, c.py);
        EXPECT_EQ(sel, (Selection{c.line1, c.line2, c.line1, c.line2, false}))
            << c.px << "," << c.py;
    }
}

struct DragCase {
    int px, py;
    int x2, y2;
};

TEST(DragSelection, MovesOnlyTheEndCornerAndClampsIt) {
    const DragCase cases[] = {
        {300, 200, 30, 20},
        {-100, -100, 1, 1},
        {5, 5, 1, 1},
        {14, 14, 1, 1},
        {640, 450, 63, 44},
        {5000, 5000, 63, 44},
        {630, 440, 63, 44},
        {440, 630, 44, 44},
        {630, 5, 63, 1},
        {5, 440, 1, 44},
        {-5000, 5000, 1, 44},
        {5000, -5000, 63, 1},
        {INT_MAX, INT_MIN, 63, 1},
        {INT_MIN, INT_MAX, 1, 44},
    };
    for (const DragCase& c : cases) {
        Selection sel{5, 6, 5, 6, false};
        dragSelection(sel, c.px, c.py);
        EXPECT_EQ(sel, (Selection{5, 6, c.x2, c.y2, false})) << c.px << "," << c.py;
    }
}

TEST(DragSelection, FromLine64AndLine45EndsReversed) {
    Selection sel{};
    startSelection(sel, 637, 447);
    dragSelection(sel, 900, 900);
    EXPECT_EQ(sel, (Selection{64, 45, 63, 44, false}));
    EXPECT_TRUE(selectionHasArea(sel));
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 45; ++y)
            EXPECT_FALSE(covers(sel, x, y));
}

TEST(DragSelection, FromLineZeroCoversBorderColumnAndRowZero) {
    Selection sel{};
    startSelection(sel, 3, 2);
    dragSelection(sel, 52, 31);
    EXPECT_EQ(sel, (Selection{0, 0, 5, 3, false}));
    EXPECT_TRUE(covers(sel, 0, 0));
    EXPECT_TRUE(covers(sel, 4, 2));
    EXPECT_FALSE(covers(sel, 5, 2));
}

struct AreaCase {
    Selection sel;
    bool area;
};

TEST(SelectionHasArea, OnlyZeroWidthOrHeightIsDropped) {
    const AreaCase cases[] = {
        {{3, 3, 3, 3, false}, false},  {{3, 3, 3, 9, false}, false}, {{3, 3, 9, 3, false}, false},
        {{3, 3, 9, 9, false}, true},   {{9, 9, 3, 3, false}, true},  {{9, 3, 3, 9, false}, true},
        {{1, 1, 63, 44, false}, true},
    };
    for (const AreaCase& c : cases)
        EXPECT_EQ(selectionHasArea(c.sel), c.area) << sizeText(c.sel);
}

} // namespace
} // namespace qorv
