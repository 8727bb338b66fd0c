#include "render/Raster.h"

#include "render/SyntheticSheet.h"
#include "render/TileSheet.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

using namespace qorv::test;

// What cell (x, y) must show for `tile`, pixel by pixel, from a sheet of this size.
QRgb expectedPixel(const QImage& sheet, int tile, int dx, int dy) {
    const int sx = tileLeft(tile) + dx;
    const int sy = tileTop(tile) + dy;
    if (sheet.isNull() || sx >= sheet.width() || sy >= sheet.height()) return MissingTileColour;
    return sheetPixel(sx, sy);
}

// Checks every pixel of the raster: cells inside `drawn` show their tiles, every other
// pixel still holds the background pattern.
void expectCellsDrawn(const QImage& raster, const QImage& before, const LevelGrid& grid,
                      const QImage& sheet, const QRect& drawn) {
    for (int y = 0; y < RasterHeight; ++y) {
        for (int x = 0; x < RasterWidth; ++x) {
            const QRgb want = drawn.contains(x, y)
                                  ? expectedPixel(sheet, grid.at(x / 10, y / 10), x % 10, y % 10)
                                  : before.pixel(x, y);
            ASSERT_EQ(raster.pixel(x, y), want) << "pixel " << x << "," << y;
        }
    }
}

TEST(MakeRaster, IsABlack640By450Rgb888Image) {
    const QImage raster = makeRaster();
    EXPECT_EQ(raster.size(), QSize(640, 450));
    EXPECT_EQ(raster.format(), QImage::Format_RGB888);
    for (int y = 0; y < raster.height(); y += 7)
        for (int x = 0; x < raster.width(); x += 7)
            ASSERT_EQ(raster.pixel(x, y), qRgb(0, 0, 0));
}

TEST(DrawRECT, OneCellShowsItsTileSquareExactly) {
    const QImage sheet = syntheticSheet(160, 160);
    for (int tile : {0, 1, 15, 16, 17, 143, 202, 244, 255}) {
        LevelGrid grid;
        grid.at(3, 7) = TileIndex(tile);
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        EXPECT_EQ(drawRECT(grid, sheet, raster, 3, 7, 3, 7), QRect(30, 70, 10, 10));
        expectCellsDrawn(raster, before, grid, sheet, QRect(30, 70, 10, 10));
        EXPECT_EQ(raster.pixel(30, 70), sheetPixel(tileLeft(tile), tileTop(tile))) << tile;
        EXPECT_EQ(raster.pixel(39, 79), sheetPixel(tileLeft(tile) + 9, tileTop(tile) + 9));
    }
}

TEST(DrawRECT, TileCornersOfTheAddressingExamples) {
    const QImage sheet = syntheticSheet(160, 160);
    const struct {
        int tile, left, top;
    } cases[] = {{0, 0, 0}, {16, 0, 10}, {17, 10, 10}, {255, 150, 150}};
    for (const auto& c : cases) {
        LevelGrid grid;
        grid.at(0, 0) = TileIndex(c.tile);
        QImage raster = makeRaster();
        drawRECT(grid, sheet, raster, 0, 0, 0, 0);
        EXPECT_EQ(raster.pixel(0, 0), sheetPixel(c.left, c.top)) << c.tile;
        EXPECT_EQ(raster.pixel(9, 9), sheetPixel(c.left + 9, c.top + 9)) << c.tile;
    }
}

TEST(DrawRECT, ReversedBlocksDrawNothing) {
    const QImage sheet = syntheticSheet(160, 160);
    const LevelGrid grid;
    const int blocks[][4] = {{5, 5, 4, 9}, {5, 5, 9, 4}, {9, 9, 0, 0}};
    for (const auto& b : blocks) {
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        EXPECT_TRUE(drawRECT(grid, sheet, raster, b[0], b[1], b[2], b[3]).isEmpty());
        EXPECT_EQ(raster, before);
    }
}

TEST(DrawRECT, BlockAndWholeGridShowEveryCellsTile) {
    const QImage sheet = syntheticSheet(160, 160);
    LevelGrid grid;
    for (int i = 0; i < GridCells; ++i)
        grid.cells[std::size_t(i)] = TileIndex(i * 37);

    QImage raster = patternedRaster(RasterWidth, RasterHeight);
    const QImage before = raster;
    const QRect block = drawRECT(grid, sheet, raster, 2, 3, 12, 5);
    EXPECT_EQ(block, QRect(20, 30, 110, 30));
    expectCellsDrawn(raster, before, grid, sheet, block);

    EXPECT_EQ(drawAllCells(grid, sheet, raster), QRect(0, 0, 640, 450));
    expectCellsDrawn(raster, before, grid, sheet, QRect(0, 0, 640, 450));
}

TEST(DrawRECT, BlocksReachingPastTheGridAreCut) {
    const QImage sheet = syntheticSheet(160, 160);
    LevelGrid grid;
    ClearFull(grid);
    QImage raster = patternedRaster(RasterWidth, RasterHeight);
    const QImage before = raster;
    EXPECT_EQ(drawRECT(grid, sheet, raster, 60, 40, 70, 50), QRect(600, 400, 40, 50));
    expectCellsDrawn(raster, before, grid, sheet, QRect(600, 400, 40, 50));
    EXPECT_TRUE(drawRECT(grid, sheet, raster, 64, 0, 80, 10).isEmpty());
}

TEST(DrawRECT, TilesOutsideASmallOrEmptySheetGetTheMissingColour) {
    // 35 x 25: tile 3 is cut after 5 columns, tile 32 after 5 rows, tile 255 is absent.
    // 39 x 19: tile 3 lacks only its last column and tile 17 only its last row.
    const QImage small = syntheticSheet(35, 25);
    const QImage empty;
    const QImage sheets[] = {small, syntheticSheet(39, 19), empty,
                             QImage(0, 0, QImage::Format_RGB888)};
    for (const QImage& sheet : sheets) {
        LevelGrid grid;
        grid.at(1, 1) = 3;
        grid.at(2, 1) = 32;
        grid.at(3, 1) = 255;
        grid.at(4, 1) = 0;
        grid.at(5, 1) = 19;
        grid.at(6, 1) = 17;
        QImage raster = patternedRaster(RasterWidth, RasterHeight);
        const QImage before = raster;
        drawRECT(grid, sheet, raster, 1, 1, 6, 1);
        expectCellsDrawn(raster, before, grid, sheet, QRect(10, 10, 60, 10));
    }
    LevelGrid grid;
    grid.at(0, 0) = 3;
    QImage raster = makeRaster();
    drawRECT(grid, small, raster, 0, 0, 0, 0);
    EXPECT_EQ(raster.pixel(4, 0), sheetPixel(34, 0));
    EXPECT_EQ(raster.pixel(5, 0), MissingTileColour);
}

TEST(CopyCell, SheetOfAnotherFormatShowsTheSamePixels) {
    const QImage sheet = syntheticSheet(160, 160).convertToFormat(QImage::Format_RGB32);
    LevelGrid grid;
    grid.at(10, 20) = 77;
    QImage raster = patternedRaster(RasterWidth, RasterHeight);
    const QImage before = raster;
    copyCell(grid, sheet, raster, 10, 20);
    expectCellsDrawn(raster, before, grid, syntheticSheet(160, 160), QRect(100, 200, 10, 10));
}

TEST(StretchTile, NearestNeighbourOntoThirteenPixels) {
    const QImage sheet = syntheticSheet(160, 160);
    QImage swatch(13, 13, QImage::Format_RGB888);
    stretchTile(sheet, 17, swatch, 13, 13);
    const int source[13] = {0, 0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9};
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(swatch.pixel(x, y), sheetPixel(10 + source[x], 10 + source[y]))
                << x << "," << y;

    stretchTile(syntheticSheet(160, 20), 255, swatch, 13, 13);
    EXPECT_EQ(swatch.pixel(6, 6), MissingTileColour);
    stretchTile(QImage(), 0, swatch, 13, 13);
    EXPECT_EQ(swatch.pixel(12, 12), MissingTileColour);
}

} // namespace
} // namespace qorv
