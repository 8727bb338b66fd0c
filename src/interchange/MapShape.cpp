#include "interchange/MapShape.h"
#include "interchange/MapWords.h"

namespace qorv::interchange {

namespace {

std::string size(qint64 width, qint64 height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

void requireLevelShape(const MapShape& map) {
    if (map.orientation != u"orthogonal")
        throw MapRefused("the map is " + mapWord(map.orientation) + ", not orthogonal");
    if (map.infinite) throw MapRefused("the map is infinite");
    if (map.width != GridWidth || map.height != GridHeight)
        throw MapRefused("the map is " + size(map.width, map.height) + " tiles, not " +
                         size(GridWidth, GridHeight));
    if (map.tileWidth != CellSize || map.tileHeight != CellSize)
        throw MapRefused("the map's tiles are " + size(map.tileWidth, map.tileHeight) +
                         " pixels, not " + size(CellSize, CellSize));
}

void requireLevelTiles(qint64 tileWidth, qint64 tileHeight) {
    if (tileWidth != CellSize || tileHeight != CellSize)
        throw MapRefused("the tileset's tiles are " + size(tileWidth, tileHeight) +
                         " pixels, not " + size(CellSize, CellSize));
}

quint32 requireFirstGid(qint64 firstGid) {
    if (firstGid < 1 || firstGid > 0x0FFFFFFF)
        throw MapRefused("the tileset's first gid " + std::to_string(firstGid) +
                         " is no gid a tile can have");
    return static_cast<quint32>(firstGid);
}

void requireLevelLayer(const QString& name, qint64 width, qint64 height) {
    if (width != GridWidth || height != GridHeight)
        throw MapRefused("tile layer " + mapWord(name) + " is " + size(width, height) +
                         " tiles, not " + size(GridWidth, GridHeight));
}

void refuseSecondTileLayer() {
    throw MapRefused("the map has more than one tile layer");
}

void refuseSecondTileset() {
    throw MapRefused("the map has more than one tileset");
}

void requireLayerAndTileset(bool hasLayer, bool hasTileset) {
    if (!hasLayer) throw MapRefused("the map has no tile layer");
    if (!hasTileset) throw MapRefused("the map has no tileset");
}

QString passedOver(const QString& kind, const QString& name) {
    return QStringLiteral("%1 layer %2 passed over")
        .arg(kind, QString::fromStdString(mapWord(name)));
}

} // namespace qorv::interchange
