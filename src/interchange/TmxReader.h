#pragma once
// Reading a TMX map (Tiled's XML format) into a level, and the tile size of a TSX tileset
// file (the same format's tileset kept apart from the map).

#include "interchange/MapFacts.h"
#include "interchange/MapShape.h"

#include <QByteArrayView>

namespace qorv::interchange {

// Throws MapRefused when the bytes are no well-formed TMX map or the map is no level;
// `tilesetFile` gives the tile size of a tileset the map keeps in a file of its own.
ImportedMap readTmx(QByteArrayView bytes, const TilesetFile& tilesetFile);

// Throws MapRefused when the bytes are no well-formed TSX tileset.
TileSize readTsx(QByteArrayView bytes);

} // namespace qorv::interchange
