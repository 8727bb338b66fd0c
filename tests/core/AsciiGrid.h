#pragma once
// Levels for tests as a few rows of level-file characters ("0".."9" are tiles 0..9, "A".."Z"
// tiles 10..35) written from the top-left corner over a background.

#include "core/CharTable.h"
#include "core/LevelGrid.h"

#include <initializer_list>
#include <string_view>

namespace qorv::test {

using Rows = std::initializer_list<std::string_view>;

inline LevelGrid filled(TileIndex tile) {
    LevelGrid level;
    level.cells.fill(tile);
    return level;
}

inline LevelGrid grid(Rows rows, LevelGrid background = {}) {
    int y = 0;
    for (const std::string_view row : rows) {
        for (std::size_t x = 0; x < row.size(); ++x)
            background.at(int(x), y) = CharToTile[static_cast<unsigned char>(row[x])];
        ++y;
    }
    return background;
}

inline LevelGrid withCell(LevelGrid level, int x, int y, TileIndex tile) {
    level.at(x, y) = tile;
    return level;
}

} // namespace qorv::test
