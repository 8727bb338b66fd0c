// A marked cell: a frame two pixels wide inside the cell, and nothing else touched.

#include "render/CellMarks.h"
#include "render/Raster.h"
#include "render/SyntheticSheet.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(CellMarks, FrameTheCellInsideItsOwnPixelsOnly) {
    for (const QPoint cell : {QPoint(0, 0), QPoint(5, 7), QPoint(63, 44)}) {
        const QImage before = test::patternedRaster(RasterWidth, RasterHeight);
        QImage raster = before;
        markCell(raster, cell.x(), cell.y());
        for (int y = 0; y < RasterHeight; ++y) {
            for (int x = 0; x < RasterWidth; ++x) {
                const int dx = x - cell.x() * 10, dy = y - cell.y() * 10;
                QRgb want = before.pixel(x, y);
                if (dx >= 0 && dx < 10 && dy >= 0 && dy < 10) {
                    if (dx == 0 || dx == 9 || dy == 0 || dy == 9)
                        want = MarkOuterColour;
                    else if (dx == 1 || dx == 8 || dy == 1 || dy == 8)
                        want = MarkInnerColour;
                }
                ASSERT_EQ(raster.pixel(x, y), want) << "pixel " << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace qorv

namespace qorv {
namespace {

TEST(CellMarks, ConflictsAreFramedOnlyInsideTheBlockDrawn) {
    const std::vector<CellConflict> conflicts = {
        {2, 1, 0, 5, 6}, {9, 4, 0, 5, 6}, {63, 44, 0, 1, 2}};
    const QImage before = test::patternedRaster(RasterWidth, RasterHeight);
    QImage raster = before, expected = before;
    markCell(expected, 9, 4);
    markCell(expected, 63, 44);
    EXPECT_EQ(markConflicts(raster, conflicts, 3, 1, 63, 44), QRect(90, 40, 550, 410));
    EXPECT_EQ(raster, expected);
    QImage tiny(1, 1, QImage::Format_RGB888); // the picture before start-up stays as it is
    EXPECT_TRUE(markConflicts(tiny, conflicts, 0, 0, 63, 44).isEmpty());
}

} // namespace
} // namespace qorv
