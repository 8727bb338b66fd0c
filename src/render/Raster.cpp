#include "render/Raster.h"

#include "render/TileSheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace qorv {

namespace {

constexpr int BytesPerPixel = 3;
constexpr int TileRowBytes = CellSize * BytesPerPixel;

// The sheet's pixel memory, read without detaching or converting per tile.
struct SheetPixels {
    const uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
    int width = 0;
    int height = 0;
};

// The raster's pixel memory, fetched once per redraw rather than once per row.
struct RasterPixels {
    uchar* bits;
    qsizetype bytesPerLine;
    int width;
    int height;
};

// The sheet as RGB888; callers always hand one over, but a sheet of any other format
// is converted rather than misread.
QImage asRgb888(const QImage& sheet) {
    if (sheet.isNull() || sheet.format() == QImage::Format_RGB888) return sheet;
    return sheet.convertToFormat(QImage::Format_RGB888);
}

SheetPixels pixelsOf(const QImage& sheet) {
    if (sheet.isNull()) return {};
    return {sheet.constBits(), sheet.bytesPerLine(), sheet.width(), sheet.height()};
}

RasterPixels pixelsOf(QImage& raster) {
    if (raster.format() != QImage::Format_RGB888) raster.convertTo(QImage::Format_RGB888);
    return {raster.bits(), raster.bytesPerLine(), raster.width(), raster.height()};
}

void putMissing(uchar* pixel) {
    pixel[0] = static_cast<uchar>(qRed(MissingTileColour));
    pixel[1] = static_cast<uchar>(qGreen(MissingTileColour));
    pixel[2] = static_cast<uchar>(qBlue(MissingTileColour));
}

// One row of a tile that lies partly or wholly outside the sheet, pixel by pixel.
void copyRowCut(const SheetPixels& sheet, int sx, int sy, uchar* out) {
    const bool rowInside = sy >= 0 && sy < sheet.height;
    for (int i = 0; i < CellSize; ++i, out += BytesPerPixel) {
        const int x = sx + i;
        if (rowInside && x >= 0 && x < sheet.width)
            std::memcpy(out, sheet.bits + sy * sheet.bytesPerLine + x * BytesPerPixel,
                        BytesPerPixel);
        else
            putMissing(out);
    }
}

// The cell copy: the tile's square of the sheet onto cell (x, y), 10 rows of 30 bytes.
void copyTile(const SheetPixels& sheet, const RasterPixels& raster, TileIndex tile, int x, int y) {
    const int left = x * CellSize;
    const int top = y * CellSize;
    if (left < 0 || top < 0 || left + CellSize > raster.width || top + CellSize > raster.height)
        return;
    const int sx = tileLeft(tile);
    const int sy = tileTop(tile);
    // The strides as locals: the compiler cannot tell that the pixel stores leave the two
    // structs alone, and would load the fields again for every row.
    const qsizetype outStride = raster.bytesPerLine;
    uchar* out = raster.bits + top * outStride + left * BytesPerPixel;
    if (sx + CellSize > sheet.width || sy + CellSize > sheet.height) {
        for (int row = 0; row < CellSize; ++row, out += outStride)
            copyRowCut(sheet, sx, sy + row, out);
        return;
    }
    const qsizetype inStride = sheet.bytesPerLine;
    const uchar* in = sheet.bits + sy * inStride + sx * BytesPerPixel;
    for (int row = 0; row < CellSize; ++row, in += inStride, out += outStride)
        std::memcpy(out, in, TileRowBytes);
}

bool inGrid(int x, int y) {
    return x >= 0 && x < GridWidth && y >= 0 && y < GridHeight;
}

void invertPixel(const RasterPixels& raster, int x, int y) {
    uchar* pixel = raster.bits + y * raster.bytesPerLine + x * BytesPerPixel;
    pixel[0] ^= 0xFF;
    pixel[1] ^= 0xFF;
    pixel[2] ^= 0xFF;
}

// The dots of one frame pixel: every other pixel along the frame, on a fixed pattern.
void invertDot(const RasterPixels& raster, std::int64_t x, std::int64_t y) {
    if ((x + y) % 2 != 0) return;
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) return;
    invertPixel(raster, static_cast<int>(x), static_cast<int>(y));
}

} // namespace

QImage makeRaster() {
    // Zeroed memory from calloc is mapped lazily, so a raster costs nothing until it is
    // drawn into (the preview's raster may never be).
    constexpr qsizetype bytesPerLine = (RasterWidth * 3 + 3) / 4 * 4;
    void* pixels = std::calloc(bytesPerLine * RasterHeight, 1);
    if (!pixels) throw std::bad_alloc();
    return QImage(
        static_cast<uchar*>(pixels), RasterWidth, RasterHeight, bytesPerLine, QImage::Format_RGB888,
        [](void* memory) { std::free(memory); }, pixels);
}

void copyCell(const LevelGrid& grid, const QImage& sheet, QImage& raster, int x, int y) {
    if (!inGrid(x, y)) return;
    const QImage source = asRgb888(sheet);
    copyTile(pixelsOf(source), pixelsOf(raster), grid.at(x, y), x, y);
}

QRect drawRECT(const LevelGrid& grid, const QImage& sheet, QImage& raster, int x1, int y1, int x2,
               int y2) {
    if (y2 < y1 || x2 < x1) return {};
    // Blocks come from the grid; one reaching past it is cut rather than drawn off the raster.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, GridWidth - 1);
    y2 = std::min(y2, GridHeight - 1);
    if (y2 < y1 || x2 < x1) return {};

    const QImage source = asRgb888(sheet);
    const SheetPixels from = pixelsOf(source);
    const RasterPixels to = pixelsOf(raster);
    for (int y = y1; y <= y2; ++y) {
        for (int x = x1; x <= x2; ++x)
            copyTile(from, to, grid.at(x, y), x, y);
    }
    return QRect(QPoint(x1 * CellSize, y1 * CellSize),
                 QPoint(x2 * CellSize + CellSize - 1, y2 * CellSize + CellSize - 1));
}

QRect drawAllCells(const LevelGrid& grid, const QImage& sheet, QImage& raster) {
    return drawRECT(grid, sheet, raster, 0, 0, GridWidth - 1, GridHeight - 1);
}

QRect drawFocusRect(QImage& raster, const PixelRect& rect) {
    const std::int64_t left = rect.left;
    const std::int64_t top = rect.top;
    const std::int64_t right = std::int64_t{rect.right} - 1;   // last column of the frame
    const std::int64_t bottom = std::int64_t{rect.bottom} - 1; // last row of the frame
    if (right < left || bottom < top || raster.isNull()) return {};

    const RasterPixels pixels = pixelsOf(raster);
    const std::int64_t firstRow = std::max<std::int64_t>(top, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(bottom, pixels.height - 1);
    const std::int64_t firstColumn = std::max<std::int64_t>(left, 0);
    const std::int64_t lastColumn = std::min<std::int64_t>(right, pixels.width - 1);
    if (lastRow < firstRow || lastColumn < firstColumn) return {};

    // Row by row, each frame pixel once: the top and bottom rows whole, the rows between
    // only at the two side columns (one column when the frame is one pixel wide).
    for (std::int64_t y = firstRow; y <= lastRow; ++y) {
        if (y == top || y == bottom) {
            for (std::int64_t x = firstColumn; x <= lastColumn; ++x)
                invertDot(pixels, x, y);
        } else {
            invertDot(pixels, left, y);
            if (right != left) invertDot(pixels, right, y);
        }
    }
    return QRect(QPoint(static_cast<int>(firstColumn), static_cast<int>(firstRow)),
                 QPoint(static_cast<int>(lastColumn), static_cast<int>(lastRow)));
}

void stretchTile(const QImage& sheet, int tile, QImage& dest, int width, int height) {
    if (dest.isNull()) return;
    width = std::min(width, dest.width());
    height = std::min(height, dest.height());
    const QImage source = asRgb888(sheet);
    const int sx = tileLeft(tile);
    const int sy = tileTop(tile);
    // Nearest neighbour: destination pixel d takes source pixel d * 10 / size, the
    // mapping of a stretching copy that neither blends nor shifts.
    for (int y = 0; y < height; ++y) {
        const int fromY = sy + y * CellSize / height;
        for (int x = 0; x < width; ++x) {
            const int fromX = sx + x * CellSize / width;
            const bool inside = !source.isNull() && source.valid(fromX, fromY);
            dest.setPixel(x, y, inside ? source.pixel(fromX, fromY) : MissingTileColour);
        }
    }
}

} // namespace qorv
