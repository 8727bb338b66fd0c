#include "interchange/TmxReader.h"
#include "interchange/MapWords.h"

#include "interchange/LayerData.h"
#include "interchange/MapShape.h"

#include <QXmlStreamReader>

#include <optional>

namespace qorv::interchange {

namespace {

[[noreturn]] void refuseMalformed(const QXmlStreamReader& xml) {
    throw MapRefused("malformed XML at line " + std::to_string(xml.lineNumber()) + ", column " +
                     std::to_string(xml.columnNumber()) + ": " + xml.errorString().toStdString());
}

QString text(const QXmlStreamReader& xml, const char* attribute) {
    return xml.attributes().value(QLatin1StringView(attribute)).toString();
}

// A missing or unreadable number is 0, which every check below refuses.
qint64 number(const QXmlStreamReader& xml, const char* attribute) {
    return text(xml, attribute).toLongLong();
}

QByteArray elementText(QXmlStreamReader& xml) {
    const QString content = xml.readElementText(QXmlStreamReader::SkipChildElements);
    if (xml.hasError()) refuseMalformed(xml);
    return content.toLatin1();
}

// The deprecated form: one <tile gid="..."/> element per cell, a missing gid being 0.
Gids gidsFromTileElements(QXmlStreamReader& xml) {
    Gids gids;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"tile" && gids.size() <= std::size_t{GridCells}) {
            const QString gid = text(xml, "gid");
            gids.push_back(gid.isEmpty() ? 0 : gidFromText(gid, gids.size()));
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError()) refuseMalformed(xml);
    return gids;
}

Gids readData(QXmlStreamReader& xml) {
    const QString encoding = text(xml, "encoding");
    const Compression compression = compressionNamed(text(xml, "compression"));
    if (encoding == u"base64") return gidsFromBase64(elementText(xml), compression);
    if (compression != Compression::None)
        throw MapRefused("compression goes with the base64 encoding only");
    if (encoding == u"csv") return gidsFromCsv(elementText(xml));
    if (encoding.isEmpty()) return gidsFromTileElements(xml);
    throw MapRefused("unknown encoding " + mapWord(encoding));
}

Gids readTileLayer(QXmlStreamReader& xml) {
    requireLevelLayer(text(xml, "name"), number(xml, "width"), number(xml, "height"));
    std::optional<Gids> gids;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"data" && !gids)
            gids = readData(xml);
        else
            xml.skipCurrentElement();
    }
    if (xml.hasError()) refuseMalformed(xml);
    return gids.value_or(Gids{});
}

void readTileset(QXmlStreamReader& xml, quint32& firstGid) {
    firstGid = requireFirstGid(number(xml, "firstgid"));
    // A tileset kept in its own file states its tile size there; that file is not read.
    if (text(xml, "source").isEmpty())
        requireLevelTiles(number(xml, "tilewidth"), number(xml, "tileheight"));
    xml.skipCurrentElement();
}

MapShape shapeOf(const QXmlStreamReader& xml) {
    return {text(xml, "orientation"), number(xml, "width"),      number(xml, "height"),
            number(xml, "tilewidth"), number(xml, "tileheight"), text(xml, "infinite") == u"1"};
}

} // namespace

ImportedMap readTmx(QByteArrayView bytes) {
    QXmlStreamReader xml(bytes.toByteArray());
    if (!xml.readNextStartElement()) refuseMalformed(xml);
    if (xml.name() != u"map")
        throw MapRefused("no TMX map: the document is <" +
                         xml.name().left(40).toString().toStdString() + ">");
    requireLevelShape(shapeOf(xml));

    std::optional<Gids> gids;
    std::optional<quint32> firstGid;
    QStringList notes;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"tileset") {
            if (firstGid) refuseSecondTileset();
            readTileset(xml, firstGid.emplace());
        } else if (name == u"layer") {
            if (gids) refuseSecondTileLayer();
            gids = readTileLayer(xml);
        } else if (name == u"objectgroup" || name == u"imagelayer" || name == u"group") {
            static const QString kinds[] = {"object", "image", "group"};
            const int kind = name == u"objectgroup" ? 0 : name == u"imagelayer" ? 1 : 2;
            notes << passedOver(kinds[kind], text(xml, "name"));
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) refuseMalformed(xml);
    requireLayerAndTileset(gids.has_value(), firstGid.has_value());
    ImportedMap map = levelFromGids(*gids, *firstGid);
    map.notes = notes;
    return map;
}

} // namespace qorv::interchange
