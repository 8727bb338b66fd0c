#include "render/CellMarks.h"

#include "core/LevelGrid.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qorv {

namespace {
// How far the pixel lies from the cell's edge: 0 on the outer ring, 1 inside it.
int ringOf(int dx, int dy) {
    return std::min({dx, dy, CellSize - 1 - dx, CellSize - 1 - dy});
}
} // namespace

void markCell(QImage& raster, int x, int y) {
    const int left = x * CellSize, top = y * CellSize;
    if (raster.format() != QImage::Format_RGB888 ||
        !raster.rect().contains(QRect(left, top, CellSize, CellSize))) {
        for (int dy = 0; dy < CellSize; ++dy)
            for (int dx = 0; dx < CellSize; ++dx)
                if (const int ring = ringOf(dx, dy); ring < 2)
                    raster.setPixel(left + dx, top + dy,
                                    ring == 0 ? MarkOuterColour : MarkInnerColour);
        return;
    }
    // The rasters of the editor and the tools: each row of the frame copied as bytes, not a
    // pixel at a time through setPixel, so that a level with many conflicts opens about as
    // fast as one without.
    static const auto rows = [] {
        std::array<std::array<uchar, CellSize * 3>, CellSize> bytes{};
        for (int dy = 0; dy < CellSize; ++dy)
            for (int dx = 0; dx < CellSize; ++dx) {
                const QRgb colour = ringOf(dx, dy) == 0 ? MarkOuterColour : MarkInnerColour;
                bytes[dy][dx * 3] = uchar(qRed(colour));
                bytes[dy][dx * 3 + 1] = uchar(qGreen(colour));
                bytes[dy][dx * 3 + 2] = uchar(qBlue(colour));
            }
        return bytes;
    }();
    constexpr int Edge = 2 * 3; // the two rings' bytes at either side of a row
    uchar* line = raster.bits() + qsizetype(top) * raster.bytesPerLine() + left * 3;
    for (int dy = 0; dy < CellSize; ++dy, line += raster.bytesPerLine()) {
        const auto& row = rows[std::size_t(dy)];
        if (dy < 2 || dy >= CellSize - 2) {
            std::memcpy(line, row.data(), row.size());
        } else {
            std::memcpy(line, row.data(), Edge);
            std::memcpy(line + row.size() - Edge, row.data() + row.size() - Edge, Edge);
        }
    }
}

QRect markConflicts(QImage& raster, const std::vector<CellConflict>& conflicts, int x1, int y1,
                    int x2, int y2) {
    QRect marked;
    for (const CellConflict& conflict : conflicts) {
        if (conflict.x < x1 || conflict.x > x2 || conflict.y < y1 || conflict.y > y2) continue;
        // A raster smaller than the level (the one-pixel picture before start-up) is left
        // as it is, as the cell copy leaves it.
        const QRect cell(conflict.x * CellSize, conflict.y * CellSize, CellSize, CellSize);
        if (!raster.rect().contains(cell)) continue;
        markCell(raster, conflict.x, conflict.y);
        marked |= cell;
    }
    return marked;
}

} // namespace qorv
