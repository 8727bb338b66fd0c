#include "interchange/JsonMapReader.h"

#include "interchange/LayerData.h"
#include "interchange/MapLimits.h"
#include "interchange/MapWords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

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

Gids gidsOf(const QJsonObject& layer) {
    const QString encoding = layer.value(QLatin1StringView("encoding")).toString("csv");
    const Compression compression = compressionNamed(text(layer, "compression"));
    if (encoding != u"base64" && encoding != u"csv")
        throw MapRefused("unknown encoding " + mapWord(encoding));
    const QJsonValue data = layer.value(QLatin1StringView("data"));
    if (encoding == u"base64") {
        if (!data.isString()) throw MapRefused("the layer's base64 data is no string");
        return gidsFromBase64(data.toString().toLatin1(), compression);
    }
    if (compression != Compression::None)
        throw MapRefused("compression goes with the base64 encoding only");
    if (!data.isArray()) throw MapRefused("the layer's data is no array of gids");
    return gidsFromArray(data.toArray());
}

// An infinite map's layer, in chunks, has no data of its own: the map says it is infinite.
void readTileLayer(const QJsonObject& layer, MapParts& parts) {
    if (checkLevelLayer(text(layer, "name"), number(layer, "width"), number(layer, "height"),
                        parts.refusals))
        parts.gids = parts.refusals.attempt([&] { return gidsOf(layer); });
}

void readTileset(const QJsonObject& tileset, const TilesetFile& tilesetFile, MapParts& parts) {
    checkTileset(number(tileset, "firstgid"), text(tileset, "source"),
                 {number(tileset, "tilewidth"), number(tileset, "tileheight")}, tilesetFile, parts);
}

void passOver(const QJsonObject& layer, MapParts& parts) {
    const QString type = text(layer, "type");
    static const QString kinds[] = {"object", "image", "group", "unknown"};
    const int kind = type == u"objectgroup"  ? 0
                     : type == u"imagelayer" ? 1
                     : type == u"group"      ? 2
                                             : 3;
    parts.notes << passedOver(kinds[kind], text(layer, "name"));
}

MapShape shapeOf(const QJsonObject& map) {
    return {text(map, "orientation"),  number(map, "width"),
            number(map, "height"),     number(map, "tilewidth"),
            number(map, "tileheight"), map.value(QLatin1StringView("infinite")).toBool()};
}

// The document's object, when it is one whose "type" (if it has one) is `type`.
QJsonObject documentObject(QByteArrayView bytes, QStringView type, const std::string& refusal) {
    requireBoundedJson(bytes);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        throw MapRefused("malformed JSON at byte " + std::to_string(error.offset) + ": " +
                         error.errorString().toStdString());
    const QJsonObject object = document.object();
    const QString found = text(object, "type");
    if (!document.isObject() || (!found.isEmpty() && found != type))
        throw MapRefused(refusal + (found.isEmpty() ? "" : ": its type is " + mapWord(found)));
    return object;
}

} // namespace

ImportedMap readJsonMap(QByteArrayView bytes, const TilesetFile& tilesetFile) {
    const QJsonObject map = documentObject(bytes, u"map", "no JSON map");
    MapParts parts;
    checkLevelShape(shapeOf(map), parts.refusals);
    for (const QJsonValue tileset : map.value(QLatin1StringView("tilesets")).toArray())
        if (parts.firstTileset()) readTileset(tileset.toObject(), tilesetFile, parts);
    for (const QJsonValue value : map.value(QLatin1StringView("layers")).toArray()) {
        const QJsonObject layer = value.toObject();
        if (text(layer, "type") != u"tilelayer")
            passOver(layer, parts);
        else if (parts.firstLayer())
            readTileLayer(layer, parts);
    }
    return levelOf(parts);
}

TileSize readJsonTileset(QByteArrayView bytes) {
    const QJsonObject tileset = documentObject(bytes, u"tileset", "no JSON tileset");
    return {number(tileset, "tilewidth"), number(tileset, "tileheight")};
}

} // namespace qorv::interchange
