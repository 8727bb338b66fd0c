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

} // namespace qorv
