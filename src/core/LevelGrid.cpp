#include "core/LevelGrid.h"

namespace qorv {

void ClearFull(LevelGrid& map) {
    for (int x = 0; x < GridWidth; ++x)
        for (int y = 0; y < GridHeight; ++y)
            map.at(x, y) = isInterior(x, y) ? FloorTile : WallTile;
}

void DoBackUp(const LevelGrid& map, LevelGrid& backup) { backup = map; }

void undoExchange(LevelGrid& map, LevelGrid& backup, LevelGrid& swap) {
    swap = map;
    map = backup;
    backup = swap;
}

} // namespace qorv
