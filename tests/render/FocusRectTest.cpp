#include "render/Raster.h"

#include "render/SyntheticSheet.h"

#include <gtest/gtest.h>

#include <string>

namespace qorv {
namespace {

using namespace qorv::test;

// A pixel of the one-pixel frame of `r` (right and bottom exclusive).
bool onFrame(const PixelRect& r, int x, int y) {
    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    return inside && (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
}

// The frame pixels that a dotted XOR frame inverts.
bool isDot(const PixelRect& r, int x, int y) {
    return onFrame(r, x, y) && (x + y) % 2 == 0;
}

QRgb inverted(QRgb c) {
    return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
}

std::string dots(const QImage& after, const QImage& before, int width, int height) {
    std::string text;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            text += after.pixel(x, y) == before.pixel(x, y) ? '.' : '#';
        text += '\n';
    }
    return text;
}

TEST(DrawFocusRect, DottedFrameOnTheEdgePixelLines) {
    struct Case {
        PixelRect rect;
        const char* picture; // the top-left 8 x 6 pixels, '#' inverted
    };
    const Case cases[] = {
        {{1, 1, 6, 5},
         "........"
         ".#.#.#.."
         "........"
         ".#...#.."
         "..#.#..."
         "........"},
        {{-1, -1, 1, 1},
         "#......." // the empty selection at the crossing of lines 0
         "........"
         "........"
         "........"
         "........"
         "........"},
        {{2, 2, 4, 4},
         "........"
         "........"
         "..#....."
         "...#...."
         "........"
         "........"},
        {{5, 0, 6, 6},
         "........" // one pixel wide
         ".....#.."
         "........"
         ".....#.."
         "........"
         ".....#.."},
        {{3, 3, 3, 6},
         "........" // no width: nothing
         "........"
         "........"
         "........"
         "........"
         "........"},
    };
    for (const Case& c : cases) {
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        drawFocusRect(raster, c.rect);
        std::string want;
        for (int row = 0; row < 6; ++row)
            want += std::string(c.picture + row * 8, 8) + "\n";
        EXPECT_EQ(dots(raster, before, 8, 6), want);
    }
}

TEST(DrawFocusRect, InvertsEachDotOnceAndASecondCallRestoresEverything) {
    const PixelRect rects[] = {
        {29, 39, 101, 91},    {9, 9, 631, 441},   {-1, -1, 1, 1},       {639, 449, 641, 451},
        {-1, -1, 641, 451},   {99, 99, 101, 101}, {100, 100, 102, 102}, {-5, 10, 3, 20},
        {630, 440, 700, 500}, {-1, 5, 0, 9},      {640, 0, 650, 10},    {0, 0, 640, 450},
        {300, 200, 301, 201}, {50, 60, 40, 70},   {629, 439, 641, 451},
    };
    for (const PixelRect& r : rects) {
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        const QRect touched = drawFocusRect(raster, r);
        for (int y = 0; y < RasterHeight; ++y) {
            for (int x = 0; x < RasterWidth; ++x) {
                const QRgb want =
                    isDot(r, x, y) ? inverted(before.pixel(x, y)) : before.pixel(x, y);
                ASSERT_EQ(raster.pixel(x, y), want) << x << "," << y;
                if (want != before.pixel(x, y)) {
                    ASSERT_TRUE(touched.contains(x, y));
                }
            }
        }
        EXPECT_TRUE(QRect(0, 0, RasterWidth, RasterHeight).contains(touched) || touched.isEmpty());
        drawFocusRect(raster, r);
        ASSERT_EQ(raster, before) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(DrawFocusRect, SelectionOutlineNeverTouchesCoveredCells) {
    const Selection selections[] = {
        {3, 4, 10, 9, true},    {10, 9, 3, 4, true},  {1, 1, 63, 44, true},  {0, 0, 5, 3, true},
        {62, 43, 63, 44, true}, {0, 0, 63, 44, true}, {64, 45, 63, 44, true}};
    for (const Selection& sel : selections) {
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        drawFocusRect(raster, outlineRect(sel));
        for (int y = 0; y < RasterHeight; ++y) {
            for (int x = 0; x < RasterWidth; ++x) {
                if (covers(sel, x / 10, y / 10)) {
                    ASSERT_EQ(raster.pixel(x, y), before.pixel(x, y));
                }
            }
        }
    }
}

TEST(DrawFocusRect, OutlineOfASelectionLiesOnTheLinesAroundIt) {
    // Lines 3..10 across and 4..9 down: frame columns 29 and 100, rows 39 and 90.
    QImage raster = patternedRaster(RasterWidth, RasterHeight);
    const QImage before = raster;
    EXPECT_EQ(drawFocusRect(raster, outlineRect({3, 4, 10, 9, true})), QRect(29, 39, 72, 52));
    EXPECT_NE(raster.pixel(29, 39), before.pixel(29, 39));
    EXPECT_NE(raster.pixel(100, 90), before.pixel(100, 90));
    EXPECT_NE(raster.pixel(29, 41), before.pixel(29, 41));
    EXPECT_EQ(raster.pixel(30, 40), before.pixel(30, 40));
    EXPECT_EQ(raster.pixel(99, 89), before.pixel(99, 89));
}

} // namespace
} // namespace qorv
