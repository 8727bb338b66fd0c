#pragma once
// A level as a Tiled map: orthogonal, 64 x 45 tiles of 10 x 10 pixels, one tile layer
// and one tileset (first gid 1) whose image is the tile sheet. Cell gids are tile + 1.

#include "interchange/MapFacts.h"

#include <QByteArray>

namespace qorv::interchange {

// The map's file content: TMX with the layer as CSV, or Tiled's JSON map. Throws MapRefused
// when the sheet's name holds a character XML cannot hold and the format is TMX.
QByteArray exportMap(const LevelGrid& grid, const TileSheetFacts& sheet, MapFormat format);

} // namespace qorv::interchange
