#pragma once
// The fixed table between the bytes of a level file and tiles.

#include "core/LevelGrid.h"

#include <array>
#include <optional>

namespace qorv {

// Tile of each file byte. Bytes outside the table's runs give tile 255.
extern const std::array<TileIndex, 256> CharToTile;

// The byte written for a tile: the lowest byte whose table entry is that tile, or
// nothing for the 109 tiles that no byte reads as (144..201, 203..243, 245..254).
std::optional<unsigned char> M2O(TileIndex tile);

} // namespace qorv
