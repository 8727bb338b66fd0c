#include "render/CellMarks.h"

#include "core/LevelGrid.h"

#include <algorithm>

namespace qorv {

void markCell(QImage& raster, int x, int y) {
    const int left = x * CellSize, top = y * CellSize;
    for (int dy = 0; dy < CellSize; ++dy) {
        for (int dx = 0; dx < CellSize; ++dx) {
            // How far the pixel lies from the cell's edge: 0 on the outer ring, 1 inside it.
            const int ring = std::min({dx, dy, CellSize - 1 - dx, CellSize - 1 - dy});
            if (ring < 2)
                raster.setPixel(left + dx, top + dy, ring == 0 ? MarkOuterColour : MarkInnerColour);
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
