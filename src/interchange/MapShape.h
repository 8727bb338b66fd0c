#pragma once
// The checks both map formats share before any cell is read: is this map the shape of a
// level, with one tile layer and one tileset?

#include "interchange/MapFacts.h"

namespace qorv::interchange {

struct MapShape {
    QString orientation;
    qint64 width = 0, height = 0;         // in tiles
    qint64 tileWidth = 0, tileHeight = 0; // in pixels
    bool infinite = false;
};

// Throws MapRefused unless the map is orthogonal, finite, 64 x 45 tiles of 10 x 10 pixels.
void requireLevelShape(const MapShape& map);

// Throws MapRefused unless a tileset's tiles (when it states them) are 10 x 10 pixels.
void requireLevelTiles(qint64 tileWidth, qint64 tileHeight);

// The tileset's first gid; throws MapRefused unless it is one a gid can have (1 or more).
quint32 requireFirstGid(qint64 firstGid);

// Throws MapRefused unless the tile layer is 64 x 45 tiles.
void requireLevelLayer(const QString& name, qint64 width, qint64 height);

// Throws MapRefused: more than one tile layer / more than one tileset.
[[noreturn]] void refuseSecondTileLayer();
[[noreturn]] void refuseSecondTileset();

// Throws MapRefused unless there was a tile layer and a tileset.
void requireLayerAndTileset(bool hasLayer, bool hasTileset);

// The note for a layer that is passed over: "<kind> layer "<name>" passed over".
QString passedOver(const QString& kind, const QString& name);

} // namespace qorv::interchange
