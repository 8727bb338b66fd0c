#include "interchange/TmxReader.h"

#include "interchange/MapWords.h"
#include "interchange/XmlCursor.h"

#include <optional>

namespace qorv::interchange {

namespace {

// A tile layer's <data> as the map holds it: read whole before any of it is decoded, so
// that a fault in it, which is one more reason to gather, leaves the reader at its end.
struct RawData {
    QString encoding;
    QString compression;
    QByteArray text;
    std::vector<QString> tileGids; // the deprecated form: one <tile gid="..."/> per cell
};

RawData readRawData(XmlCursor& xml) {
    RawData data{xml.text("encoding"), xml.text("compression"), {}, {}};
    if (!data.encoding.isEmpty()) {
        data.text = xml.elementText().toLatin1();
        return data;
    }
    while (xml.nextChild()) {
        if (xml.name() == u"tile" && data.tileGids.size() <= std::size_t{GridCells})
            data.tileGids.push_back(xml.text("gid"));
        xml.skipElement();
    }
    return data;
}

Gids gidsOf(const RawData& data) {
    const Compression compression = compressionNamed(data.compression);
    if (data.encoding != u"base64" && data.encoding != u"csv" && !data.encoding.isEmpty())
        throw MapRefused("unknown encoding " + mapWord(data.encoding));
    if (data.encoding == u"base64") return gidsFromBase64(data.text, compression);
    if (compression != Compression::None)
        throw MapRefused("compression goes with the base64 encoding only");
    if (data.encoding == u"csv") return gidsFromCsv(data.text);
    Gids gids;
    for (const QString& gid : data.tileGids) // a missing gid is an empty cell
        gids.push_back(gid.isEmpty() ? 0 : gidFromText(gid, gids.size()));
    return gids;
}

void readTileLayer(XmlCursor& xml, MapParts& parts) {
    const bool levelSized = checkLevelLayer(xml.text("name"), xml.number("width"),
                                            xml.number("height"), parts.refusals);
    std::optional<RawData> data;
    while (xml.nextChild()) {
        if (xml.name() == u"data" && !data)
            data = readRawData(xml);
        else
            xml.skipElement();
    }
    if (levelSized)
        parts.gids = parts.refusals.attempt([&] { return gidsOf(data.value_or(RawData{})); });
}

void readTileset(XmlCursor& xml, const TilesetFile& tilesetFile, MapParts& parts) {
    checkTileset(xml.number("firstgid"), xml.text("source"),
                 {xml.number("tilewidth"), xml.number("tileheight")}, tilesetFile, parts);
    xml.skipElement();
}

void passOver(XmlCursor& xml, MapParts& parts) {
    const QStringView name = xml.name();
    static const QString kinds[] = {"object", "image", "group"};
    const int kind = name == u"objectgroup"  ? 0
                     : name == u"imagelayer" ? 1
                     : name == u"group"      ? 2
                                             : -1;
    if (kind >= 0) parts.notes << passedOver(kinds[kind], xml.text("name"));
    xml.skipElement();
}

void requireRoot(XmlCursor& xml, QStringView root, const char* refusal) {
    if (!xml.nextChild() || xml.name() != root)
        throw MapRefused(std::string(refusal) + ": its first element is " + mapWord(xml.name()));
}

MapShape shapeOf(const XmlCursor& xml) {
    return {xml.text("orientation"), xml.number("width"),      xml.number("height"),
            xml.number("tilewidth"), xml.number("tileheight"), xml.text("infinite") == u"1"};
}

} // namespace

ImportedMap readTmx(QByteArrayView bytes, const TilesetFile& tilesetFile) {
    XmlCursor xml(bytes);
    requireRoot(xml, u"map", "no TMX map");
    MapParts parts;
    checkLevelShape(shapeOf(xml), parts.refusals);
    while (xml.nextChild()) {
        const QStringView name = xml.name();
        if (name == u"tileset" && parts.firstTileset())
            readTileset(xml, tilesetFile, parts);
        else if (name == u"layer" && parts.firstLayer())
            readTileLayer(xml, parts);
        else
            passOver(xml, parts);
    }
    xml.finish();
    return levelOf(parts);
}

TileSize readTsx(QByteArrayView bytes) {
    XmlCursor xml(bytes);
    requireRoot(xml, u"tileset", "no TSX tileset");
    const TileSize tiles{xml.number("tilewidth"), xml.number("tileheight")};
    xml.finish();
    return tiles;
}

} // namespace qorv::interchange
