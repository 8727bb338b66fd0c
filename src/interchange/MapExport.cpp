#include "interchange/MapExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>

namespace qorv::interchange {

namespace {

const QString LayerName = QStringLiteral("level");

int gidOf(const LevelGrid& grid, int x, int y) {
    return grid.at(x, y) + 1;
}

// Row by row as Tiled writes CSV: one line per row, every value followed by a comma but
// the very last.
QString csvOf(const LevelGrid& grid) {
    QString text = QStringLiteral("\n");
    for (int y = 0; y < GridHeight; ++y) {
        for (int x = 0; x < GridWidth; ++x) {
            text += QString::number(gidOf(grid, x, y));
            if (x < GridWidth - 1 || y < GridHeight - 1) text += u',';
        }
        text += u'\n';
    }
    return text;
}

QString baseName(const QString& image) {
    const QString file = image.section(u'/', -1);
    return file.section(u'.', 0, 0);
}

// Whether XML 1.0 holds every character of the text: the writer drops or changes the
// others (most control characters, lone surrogates, U+FFFE), so that a map would name
// another file than the one given.
bool xmlHolds(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // a character beyond the first plane: XML holds them all
            continue;
        }
        const bool held = c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c <= 0xD7FF) ||
                          (c >= 0xE000 && c <= 0xFFFD);
        if (!held) return false;
    }
    return true;
}

QByteArray tmxOf(const LevelGrid& grid, const TileSheetFacts& sheet) {
    if (!xmlHolds(sheet.image))
        throw MapRefused("the tile sheet's name holds a character a TMX map cannot hold");
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("map"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.8"));
    xml.writeAttribute(QStringLiteral("orientation"), QStringLiteral("orthogonal"));
    xml.writeAttribute(QStringLiteral("renderorder"), QStringLiteral("right-down"));
    xml.writeAttribute(QStringLiteral("width"), QString::number(GridWidth));
    xml.writeAttribute(QStringLiteral("height"), QString::number(GridHeight));
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(CellSize));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(CellSize));
    xml.writeAttribute(QStringLiteral("infinite"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("nextlayerid"), QStringLiteral("2"));
    xml.writeAttribute(QStringLiteral("nextobjectid"), QStringLiteral("1"));

    xml.writeStartElement(QStringLiteral("tileset"));
    xml.writeAttribute(QStringLiteral("firstgid"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("name"), baseName(sheet.image));
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(CellSize));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(CellSize));
    xml.writeAttribute(QStringLiteral("tilecount"), QString::number(sheet.tileCount()));
    xml.writeAttribute(QStringLiteral("columns"), QString::number(sheet.columns()));
    xml.writeEmptyElement(QStringLiteral("image"));
    xml.writeAttribute(QStringLiteral("source"), sheet.image);
    xml.writeAttribute(QStringLiteral("width"), QString::number(sheet.width));
    xml.writeAttribute(QStringLiteral("height"), QString::number(sheet.height));
    xml.writeEndElement(); // tileset

    xml.writeStartElement(QStringLiteral("layer"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("name"), LayerName);
    xml.writeAttribute(QStringLiteral("width"), QString::number(GridWidth));
    xml.writeAttribute(QStringLiteral("height"), QString::number(GridHeight));
    xml.writeStartElement(QStringLiteral("data"));
    xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("csv"));
    xml.writeCharacters(csvOf(grid));
    xml.writeEndElement(); // data
    xml.writeEndElement(); // layer
    xml.writeEndElement(); // map
    xml.writeEndDocument();
    return bytes;
}

QByteArray jsonOf(const LevelGrid& grid, const TileSheetFacts& sheet) {
    QJsonArray data;
    for (int y = 0; y < GridHeight; ++y)
        for (int x = 0; x < GridWidth; ++x)
            data.append(gidOf(grid, x, y));
    // Tiled 1.8 reads a layer without "opacity" and "visible" as transparent and hidden.
    const QJsonObject layer{
        {"id", 1},         {"name", LayerName},  {"type", "tilelayer"},  {"x", 0},
        {"y", 0},          {"width", GridWidth}, {"height", GridHeight}, {"opacity", 1},
        {"visible", true}, {"data", data}};
    const QJsonObject tileset{{"firstgid", 1},
                              {"name", baseName(sheet.image)},
                              {"image", sheet.image},
                              {"imagewidth", sheet.width},
                              {"imageheight", sheet.height},
                              {"tilewidth", CellSize},
                              {"tileheight", CellSize},
                              {"tilecount", sheet.tileCount()},
                              {"columns", sheet.columns()},
                              {"margin", 0},
                              {"spacing", 0}};
    const QJsonObject map{{"type", "map"},
                          {"version", "1.8"},
                          {"orientation", "orthogonal"},
                          {"renderorder", "right-down"},
                          {"width", GridWidth},
                          {"height", GridHeight},
                          {"tilewidth", CellSize},
                          {"tileheight", CellSize},
                          {"infinite", false},
                          {"nextlayerid", 2},
                          {"nextobjectid", 1},
                          {"layers", QJsonArray{layer}},
                          {"tilesets", QJsonArray{tileset}}};
    return QJsonDocument(map).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QByteArray exportMap(const LevelGrid& grid, const TileSheetFacts& sheet, MapFormat format) {
    return format == MapFormat::Tmx ? tmxOf(grid, sheet) : jsonOf(grid, sheet);
}

} // namespace qorv::interchange
