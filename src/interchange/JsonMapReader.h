#pragma once
// Reading a map in Tiled's JSON format into a level, and the tile size of a tileset in
// the same format kept in a file of its own.

#include "interchange/MapFacts.h"
#include "interchange/MapShape.h"

#include <QByteArrayView>

namespace qorv::interchange {

// Throws MapRefused when the bytes are no JSON map or the map is no level; `tilesetFile`
// gives the tile size of a tileset the map keeps in a file of its own.
ImportedMap readJsonMap(QByteArrayView bytes, const TilesetFile& tilesetFile);

// Throws MapRefused when the bytes are no JSON tileset.
TileSize readJsonTileset(QByteArrayView bytes);

} // namespace qorv::interchange
