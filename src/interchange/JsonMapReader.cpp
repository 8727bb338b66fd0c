#include "interchange/JsonMapReader.h"
#include "interchange/MapWords.h"

#include "interchange/LayerData.h"
#include "interchange/MapShape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace qorv::interchange {

namespace {

// A missing or fractional number is 0 or unlike any size, which the checks refuse.
qint64 number(const QJsonObject& object, const char* key) {
    const double value = object.value(QLatin1StringView(key)).toDouble();
    return std::isfinite(value) && std::abs(value) < 1e15 ? qint64(value) : 0;
}

QString text(const QJsonObject& object, const char* key) {
    return object.value(QLatin1StringView(key)).toString();
}

quint32 gidOf(const QJsonValue& value, std::size_t index) {
    const double gid = value.toDouble(-1);
    if (!value.isDouble() || gid < 0 || gid > 0xFFFFFFFFu || gid != std::floor(gid))
        throw MapRefused("cell (" + cellName(index) + ") holds no gid");
    return static_cast<quint32>(gid);
}

Gids gidsFromArray(const QJsonArray& data) {
    Gids gids;
    for (const QJsonValue value : data) {
        if (gids.size() > std::size_t{GridCells}) break;
        gids.push_back(gidOf(value, gids.size()));
    }
    return gids;
}

Gids readTileLayer(const QJsonObject& layer) {
    if (layer.contains(QLatin1StringView("chunks"))) throw MapRefused("the map is infinite");
    requireLevelLayer(text(layer, "name"), number(layer, "width"), number(layer, "height"));
    const QString encoding = layer.value(QLatin1StringView("encoding")).toString("csv");
    const Compression compression = compressionNamed(text(layer, "compression"));
    const QJsonValue data = layer.value(QLatin1StringView("data"));
    if (encoding == u"base64") {
        if (!data.isString()) throw MapRefused("the layer's base64 data is no string");
        return gidsFromBase64(data.toString().toLatin1(), compression);
    }
    if (encoding != u"csv") throw MapRefused("unknown encoding " + mapWord(encoding));
    if (compression != Compression::None)
        throw MapRefused("compression goes with the base64 encoding only");
    if (!data.isArray()) throw MapRefused("the layer's data is no array of gids");
    return gidsFromArray(data.toArray());
}

quint32 readTileset(const QJsonObject& tileset) {
    if (!tileset.contains(QLatin1StringView("source")))
        requireLevelTiles(number(tileset, "tilewidth"), number(tileset, "tileheight"));
    return requireFirstGid(number(tileset, "firstgid"));
}

MapShape shapeOf(const QJsonObject& map) {
    return {text(map, "orientation"),  number(map, "width"),
            number(map, "height"),     number(map, "tilewidth"),
            number(map, "tileheight"), map.value(QLatin1StringView("infinite")).toBool()};
}

QJsonObject mapObject(QByteArrayView bytes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        throw MapRefused("malformed JSON at byte " + std::to_string(error.offset) + ": " +
                         error.errorString().toStdString());
    const QJsonObject map = document.object();
    const QString type = text(map, "type");
    if (!document.isObject() || (!type.isEmpty() && type != u"map"))
        throw MapRefused("no JSON map" +
                         (type.isEmpty() ? std::string() : ": its type is " + mapWord(type)));
    return map;
}

} // namespace

ImportedMap readJsonMap(QByteArrayView bytes) {
    const QJsonObject map = mapObject(bytes);
    requireLevelShape(shapeOf(map));

    const QJsonArray tilesets = map.value(QLatin1StringView("tilesets")).toArray();
    if (tilesets.size() > 1) refuseSecondTileset();
    std::optional<quint32> firstGid;
    if (!tilesets.isEmpty()) firstGid = readTileset(tilesets.first().toObject());

    std::optional<Gids> gids;
    QStringList notes;
    for (const QJsonValue value : map.value(QLatin1StringView("layers")).toArray()) {
        const QJsonObject layer = value.toObject();
        const QString type = text(layer, "type");
        if (type == u"tilelayer") {
            if (gids) refuseSecondTileLayer();
            gids = readTileLayer(layer);
        } else {
            static const QString kinds[] = {"object", "image", "group", "unknown"};
            const int kind = type == u"objectgroup"  ? 0
                             : type == u"imagelayer" ? 1
                             : type == u"group"      ? 2
                                                     : 3;
            notes << passedOver(kinds[kind], text(layer, "name"));
        }
    }
    requireLayerAndTileset(gids.has_value(), firstGid.has_value());
    ImportedMap imported = levelFromGids(*gids, *firstGid);
    imported.notes = notes;
    return imported;
}

} // namespace qorv::interchange
