#include "interchange/MapShape.h"

#include "interchange/MapWords.h"

#include <algorithm>
#include <utility>

namespace qorv::interchange {

namespace {

std::string size(qint64 width, qint64 height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void checkLevelTiles(TileSize tiles, Refusals& refusals) {
    if (tiles.width != CellSize || tiles.height != CellSize)
        refusals.add("the tileset's tiles are " + size(tiles.width, tiles.height) +
                     " pixels, not " + size(CellSize, CellSize));
}

} // namespace

void Refusals::add(const std::string& reason) {
    if (std::find(reasons_.begin(), reasons_.end(), reason) == reasons_.end())
        reasons_.push_back(reason);
}

void Refusals::refuseIfAny() const {
    if (reasons_.empty()) return;
    std::string message = reasons_.front();
    for (auto reason = reasons_.begin() + 1; reason != reasons_.end(); ++reason)
        message += "; " + *reason;
    throw MapRefused(message);
}

bool MapParts::firstLayer() {
    if (hasLayer) refusals.add("the map has more than one tile layer");
    return !std::exchange(hasLayer, true);
}

bool MapParts::firstTileset() {
    if (hasTileset) refusals.add("the map has more than one tileset");
    return !std::exchange(hasTileset, true);
}

void checkLevelShape(const MapShape& map, Refusals& refusals) {
    if (map.orientation != u"orthogonal")
        refusals.add("the map is " + mapWord(map.orientation) + ", not orthogonal");
    if (map.infinite) refusals.add("the map is infinite");
    if (map.width != GridWidth || map.height != GridHeight)
        refusals.add("the map is " + size(map.width, map.height) + " tiles, not " +
                     size(GridWidth, GridHeight));
    if (map.tileWidth != CellSize || map.tileHeight != CellSize)
        refusals.add("the map's tiles are " + size(map.tileWidth, map.tileHeight) +
                     " pixels, not " + size(CellSize, CellSize));
}

void checkTileset(qint64 firstGid, const QString& source, TileSize inner, const TilesetFile& file,
                  MapParts& parts) {
    if (firstGid < 1 || firstGid > 0x0FFFFFFF)
        parts.refusals.add("the tileset's first gid " + std::to_string(firstGid) +
                           " is no gid a tile can have");
    else
        parts.firstGid = static_cast<quint32>(firstGid);
    if (source.isEmpty()) return checkLevelTiles(inner, parts.refusals);
    if (const auto tiles = parts.refusals.attempt([&] { return file(source); }))
        checkLevelTiles(*tiles, parts.refusals);
}

bool checkLevelLayer(const QString& name, qint64 width, qint64 height, Refusals& refusals) {
    if (width == GridWidth && height == GridHeight) return true;
    refusals.add("tile layer " + mapWord(name) + " is " + size(width, height) + " tiles, not " +
                 size(GridWidth, GridHeight));
    return false;
}

ImportedMap levelOf(MapParts& parts) {
    if (!parts.hasLayer) parts.refusals.add("the map has no tile layer");
    if (!parts.hasTileset) parts.refusals.add("the map has no tileset");
    std::optional<ImportedMap> map;
    if (parts.gids && parts.firstGid)
        map = parts.refusals.attempt([&] { return levelFromGids(*parts.gids, *parts.firstGid); });
    parts.refusals.refuseIfAny(); // without a reason, both parts were there and read
    map->notes = parts.notes;
    return *map;
}

QString passedOver(const QString& kind, const QString& name) {
    return QStringLiteral("%1 layer %2 passed over")
        .arg(kind, QString::fromStdString(mapWord(name)));
}

} // namespace qorv::interchange
