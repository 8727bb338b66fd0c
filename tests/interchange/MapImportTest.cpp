// Importing maps: every encoding and compression Tiled writes gives the level; every map
// a level cannot hold is refused with its reason and its first offending cell.

#include "MapText.h"

#include "core/CharTable.h"
#include "interchange/MapExport.h"
#include "interchange/MapImport.h"
#include "interchange/MapLimits.h"
#include "errors/IoError.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using namespace qorv::interchange;
using qorv::test::base64Of;
using qorv::test::csvOf;
using qorv::test::filled;
using qorv::test::sampleGids;
using Values = std::vector<std::pair<QByteArray, QByteArray>>;

const QByteArray Tmx = R"(<?xml version="1.0" encoding="UTF-8"?>
<map orientation="$ORIENT" width="$WIDTH" height="45" tilewidth="$TILEW" tileheight="10" infinite="$INF">
 $SHEET$TILESET
 $EXTRA<layer id="1" name="level" width="64" height="45">
  <data $ENC>$DATA</data>
 </layer>
</map>
)";

const QByteArray Json = R"({"type": "map", "orientation": "$ORIENT", "width": $WIDTH, "height": 45,
 "tilewidth": $TILEW, "tileheight": 10, "infinite": $INF,
 "tilesets": [$SHEET$TILESET],
 "layers": [$EXTRA{"type": "tilelayer", "name": "level", "width": 64, "height": 45, $ENC "data": $DATA}]})";

const QByteArray TmxSheet =
    R"(<tileset firstgid="1" name="all" tilewidth="10" tileheight="10"><image source="all.bmp"/></tileset>)";
const QByteArray JsonSheet =
    R"({"firstgid": 1, "tilewidth": 10, "tileheight": 10, "image": "all.bmp"})";

// The tileset files beside every map: of a level's tiles, and of 32-pixel tiles.
QByteArray besideTheMap(const QString& name) {
    const QByteArray tsx = R"(<?xml version="1.0"?>
<tileset name="all" tilewidth="$W" tileheight="$W" tilecount="144" columns="16">
 <image source="all.bmp" width="160" height="90"/>
</tileset>
)";
    const QByteArray tsj = R"({"type": "tileset", "tilewidth": $W, "tileheight": $W})";
    if (name == "level.tsx") return filled(tsx, {{"W", "10"}});
    if (name == "big.tsx") return filled(tsx, {{"W", "32"}});
    if (name == "sub/level.tsj") return filled(tsj, {{"W", "10"}});
    if (name == "big.tsj") return filled(tsj, {{"W", "32"}});
    throw qorv::IoError(qorv::iocode::FileNotFound);
}

ImportedMap import(const QByteArray& map, MapFormat format) {
    return importMap(map, format, besideTheMap);
}

QByteArray tmx(Values values) {
    values.insert(values.end(), {{"ORIENT", "orthogonal"},
                                 {"WIDTH", "64"},
                                 {"TILEW", "10"},
                                 {"INF", "0"},
                                 {"SHEET", TmxSheet},
                                 {"TILESET", ""},
                                 {"EXTRA", ""},
                                 {"ENC", R"(encoding="csv")"},
                                 {"DATA", csvOf(sampleGids())}});
    return filled(Tmx, values);
}

QByteArray json(Values values) {
    values.insert(values.end(), {{"ORIENT", "orthogonal"},
                                 {"WIDTH", "64"},
                                 {"TILEW", "10"},
                                 {"INF", "false"},
                                 {"SHEET", JsonSheet},
                                 {"TILESET", ""},
                                 {"EXTRA", ""},
                                 {"ENC", ""},
                                 {"DATA", "[" + csvOf(sampleGids()) + "]"}});
    return filled(Json, values);
}

QByteArray tileElements(const std::vector<quint32>& gids) {
    QByteArray text;
    for (const quint32 gid : gids)
        text += gid ? "<tile gid=\"" + QByteArray::number(gid) + "\"/>" : QByteArray("<tile/>");
    return text;
}

// The sample gids with one changed.
std::vector<quint32> gidsWith(int index, quint32 gid) {
    std::vector<quint32> gids = sampleGids();
    gids[size_t(index)] = gid;
    return gids;
}

std::vector<quint32> allButLast() {
    std::vector<quint32> gids = sampleGids();
    gids.pop_back();
    return gids;
}

std::vector<quint32> threeThousand() {
    std::vector<quint32> gids = sampleGids();
    gids.resize(3000, 1);
    return gids;
}

QByteArray withStrayBytes(const QByteArray& base64) {
    return (QByteArray::fromBase64(base64) + QByteArray(2, '\0')).toBase64();
}

QByteArray cutShort(const QByteArray& base64) {
    return QByteArray::fromBase64(base64).chopped(4).toBase64();
}

// A map with an element of `attributes` attributes (in every way XML allows to write them,
// beside text with '=' signs), elements nested `depth` deep (the map itself the first),
// padded to `size` bytes.
QByteArray tmxWithin(int attributes, int depth, qsizetype size) {
    QByteArray extra = "<x";
    for (int i = 0; i < attributes; ++i)
        extra += " a" + QByteArray::number(i) + (i % 2 ? "='v'" : " =\t\r\n \"v\"");
    extra += ">a=b c = d</x>" + QByteArray("<x>").repeated(depth - 1) +
             QByteArray("</x>").repeated(depth - 1);
    const QByteArray map = tmx({{"EXTRA", extra}});
    return map + QByteArray(std::max<qsizetype>(0, size - map.size()), ' ');
}

// A map with arrays nested `depth` deep (the map's object the first), padded to `size`.
QByteArray jsonWithin(int depth, qsizetype size) {
    const int arrays = depth - 3; // in a layer, in the layers
    // A string's brackets, after an escaped quote, are no arrays.
    const QByteArray map = json(
        {{"ENC", "\"p\": " + QByteArray("[").repeated(arrays) + QByteArray("]").repeated(arrays) +
                     ", \"q\": \"\\\"" + QByteArray("[").repeated(40) + "\","}});
    return map + QByteArray(std::max<qsizetype>(0, size - map.size()), ' ');
}

struct Accepted {
    const char* name;
    MapFormat format;
    QByteArray map;
};

TEST(MapImport, EveryEncodingAndCompressionGivesTheLevel) {
    const Accepted rows[] = {
        {"TMX csv", MapFormat::Tmx, tmx({})},
        {"TMX base64", MapFormat::Tmx,
         tmx({{"ENC", R"(encoding="base64")"},
              {"DATA", "\n   " + base64Of(sampleGids(), "") + "<x>AAAA</x>\n  "}})},
        {"TMX zlib", MapFormat::Tmx,
         tmx({{"ENC", R"(encoding="base64" compression="zlib")"},
              {"DATA", base64Of(sampleGids(), "zlib")}})},
        {"TMX gzip", MapFormat::Tmx,
         tmx({{"ENC", R"(encoding="base64" compression="gzip")"},
              {"DATA", base64Of(sampleGids(), "gzip")}})},
        {"TMX zstd", MapFormat::Tmx,
         tmx({{"ENC", R"(encoding="base64" compression="zstd")"},
              {"DATA", base64Of(sampleGids(), "zstd")}})},
        {"TMX tile elements", MapFormat::Tmx,
         tmx({{"ENC", ""}, {"DATA", tileElements(sampleGids()) + "<x/>"}})},
        {"TMX layer properties", MapFormat::Tmx,
         tmx({}).replace("<data ", R"(<properties><property name="p"/></properties><data )")},
        {"JSON array", MapFormat::Json, json({})},
        {"JSON base64", MapFormat::Json,
         json({{"ENC", R"("encoding": "base64",)"},
               {"DATA", '"' + base64Of(sampleGids(), "") + '"'}})},
        {"JSON zlib", MapFormat::Json,
         json({{"ENC", R"("encoding": "base64", "compression": "zlib",)"},
               {"DATA", '"' + base64Of(sampleGids(), "zlib") + '"'}})},
        {"JSON gzip", MapFormat::Json,
         json({{"ENC", R"("encoding": "base64", "compression": "gzip",)"},
               {"DATA", '"' + base64Of(sampleGids(), "gzip") + '"'}})},
        {"JSON zstd", MapFormat::Json,
         json({{"ENC", R"("encoding": "base64", "compression": "zstd",)"},
               {"DATA", '"' + base64Of(sampleGids(), "zstd") + '"'}})},
        {"TMX tileset file", MapFormat::Tmx,
         tmx({{"SHEET", R"(<tileset firstgid="1" source="level.tsx"/>)"}})},
        {"JSON tileset file", MapFormat::Json,
         json({{"SHEET", R"({"firstgid": 1, "source": "sub/level.tsj"})"}})},
        {"TMX at every limit", MapFormat::Tmx, tmxWithin(MaxAttributes, MaxNesting, MaxMapBytes)},
        {"JSON at every limit", MapFormat::Json, jsonWithin(MaxNesting, MaxMapBytes)},
    };
    for (const Accepted& row : rows) {
        try {
            const ImportedMap map = import(row.map, row.format);
            EXPECT_EQ(map.grid, qorv::test::sampleLevel()) << row.name;
            EXPECT_EQ(map.emptyCells, 1) << row.name;
            EXPECT_TRUE(map.notes.isEmpty()) << row.name;
        } catch (const MapRefused& refused) {
            ADD_FAILURE() << row.name << ": " << refused.what();
        }
    }
}

TEST(MapImport, OtherLayersArePassedOverWithANote) {
    const ImportedMap fromTmx = import(
        tmx({{"EXTRA",
              R"(<objectgroup name="things"><object id="1"/></objectgroup><imagelayer name="sky"/><group name="g"><layer name="inner"/></group>)"}}),
        MapFormat::Tmx);
    EXPECT_EQ(fromTmx.notes,
              QStringList({"object layer \"things\" passed over", "image layer \"sky\" passed over",
                           "group layer \"g\" passed over"}));
    const ImportedMap fromJson = import(
        json({{"EXTRA",
               R"({"type": "objectgroup", "name": "things"}, {"type": "imagelayer", "name": "sky"},
                  {"type": "group", "name": "g"}, {"type": "text", "name": "t"},)"}}),
        MapFormat::Json);
    EXPECT_EQ(fromJson.notes,
              QStringList({"object layer \"things\" passed over", "image layer \"sky\" passed over",
                           "group layer \"g\" passed over", "unknown layer \"t\" passed over"}));
    EXPECT_EQ(fromJson.grid, qorv::test::sampleLevel());
    // A name that would retitle the terminal reaches it quoted.
    const ImportedMap hostile =
        import(json({{"EXTRA", R"({"type": "objectgroup", "name": "\u001b]0;PWN\u0007"},)"}}),
               MapFormat::Json);
    EXPECT_EQ(hostile.notes, QStringList{R"(object layer "''$'\033'']0;PWN'$'\a'" passed over)"});
}

struct Refused {
    MapFormat format;
    QByteArray map;
    const char* message;
};

TEST(MapImport, WhatALevelCannotHoldIsRefusedWithItsReason) {
    const auto T = MapFormat::Tmx;
    const auto J = MapFormat::Json;
    const QByteArray secondLayer =
        R"(<layer name="more" width="64" height="45"><data encoding="csv">0</data></layer>)";
    const Refused rows[] = {
        {T, tmx({{"ORIENT", "isometric"}}), "the map is \"isometric\", not orthogonal"},
        {J, json({{"ORIENT", "hexagonal"}}), "the map is \"hexagonal\", not orthogonal"},
        {J, json({{"ORIENT", "iso\\u202emetric"}}),
         R"(the map is "'iso'$'\342\200\256''metric'", not orthogonal)"},
        {T, tmx({{"WIDTH", "65"}}), "the map is 65 x 45 tiles, not 64 x 45"},
        {J, json({{"TILEW", "16"}}), "the map's tiles are 16 x 10 pixels, not 10 x 10"},
        {T, tmx({{"INF", "1"}}), "the map is infinite"},
        {J, json({{"INF", "true"}}), "the map is infinite"},
        {T, tmx({{"EXTRA", secondLayer}}),
         "the map has more than one tile layer; the layer data holds 1 cells"},
        {T, tmx({{"SHEET", ""}}), "the map has no tileset"},
        {T, "<tileset/>", "no TMX map: its first element is \"tileset\""},
        {T, tmx({}) + "</x>", "malformed XML at line 53"},
        {J, json({}).replace("tilelayer", "objectgroup"), "the map has no tile layer"},
        {T, tmx({{"ENC", ""}, {"DATA", tileElements(gidsWith(0, 1)) + "<tile/>"}}),
         "the layer data holds more than 2880 cells"},
        {J, json({{"EXTRA", R"({"type": "tilelayer", "width": 64, "height": 45, "data": []},)"}}),
         "the map has more than one tile layer; the layer data holds 0 cells"},
        {T, tmx({{"TILESET", R"(<tileset firstgid="300" source="more.tsx"/>)"}}),
         "the map has more than one tileset"},
        {J, json({{"TILESET", R"(, {"firstgid": 300, "source": "more.tsj"})"}}),
         "the map has more than one tileset"},
        {T, tmx({{"DATA", csvOf(gidsWith(66, 0xFFFFFFFF))}}), "cell (2, 1) is flipped or rotated"},
        {J, json({{"DATA", "[" + csvOf(gidsWith(64 * 44, 0xFFFFFFFF)) + "]"}}),
         "cell (0, 44) is flipped or rotated"},
        {T, tmx({{"DATA", csvOf(gidsWith(7, 151))}}),
         "cell (7, 0) holds tile 150, which has no character in a level file"},
        {J, json({{"DATA", "[" + csvOf(gidsWith(130, 257)) + "]"}}),
         "cell (2, 2) holds tile 256, which has no character in a level file"},
        {T, tmx({{"SHEET", R"(<tileset firstgid="268435455" tilewidth="10" tileheight="10"/>)"}}),
         "cell (0, 0) holds gid 1, which belongs to no tileset"},
        {J, json({{"SHEET", R"({"firstgid": 268435456, "tilewidth": 10, "tileheight": 10})"}}),
         "the tileset's first gid 268435456 is no gid a tile can have"},
        {T, tmx({{"DATA", "1,,1"}}), "cell (1, 0) holds \"\", not a gid"},
        {T, tmx({{"DATA", "4294967296"}}), "cell (0, 0) holds \"4294967296\", not a gid"},
        {T, tmx({{"DATA", " "}}), "the layer data holds 0 cells"},
        {T, tmx({{"ENC", R"(encoding="base64")"}, {"DATA", "AA!A"}}),
         "the layer data is not valid base64"},
        {T, tmx({{"ENC", R"(encoding="hex")"}}), "unknown encoding \"hex\""},
        {T,
         tmx({}).replace(R"(name="level" width="64" height="45")",
                         "name=\"" + QByteArray(50, 'n') + "\" width=\"64\" height=\"44\""),
         "tile layer \"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn\" is 64 x 44 tiles, not 64 x 45"},
        {T, tmx({{"SHEET", R"(<tileset firstgid="1" source="all.png"/>)"}}),
         "tileset file \"all.png\": the extension names no tileset format"},
        {J, json({{"ENC", R"("encoding": "hex",)"}}), "unknown encoding \"hex\""},
        {J, json({{"ENC", R"("compression": "zlib",)"}}),
         "compression goes with the base64 encoding only"},
        {J, json({{"ENC", R"("encoding": "base64",)"}}), "the layer's base64 data is no string"},
        {J, json({{"DATA", R"("1,2")"}}), "the layer's data is no array of gids"},
        {J, json({{"DATA", "[1.5," + csvOf(allButLast()) + "]"}}), "cell (0, 0) holds no gid"},
        {J, json({{"DATA", "[-1," + csvOf(allButLast()) + "]"}}), "cell (0, 0) holds no gid"},
        {J, json({{"DATA", "[4294967296," + csvOf(allButLast()) + "]"}}),
         "cell (0, 0) holds no gid"},
        {J, json({{"WIDTH", "1e15"}}), "the map is 0 x 45 tiles, not 64 x 45"},
        {J, json({{"ENC", R"("encoding": "base64", "compression": "lzma",)"}}),
         "unknown compression \"lzma\""},
        {T, tmx({{"DATA", "1,2<3"}}), "malformed XML at line 5"},
        {J, json({{"DATA", "[1,2,"}}), "malformed JSON at byte"},
        {T, tmx({{"DATA", csvOf(allButLast())}}),
         "the layer data holds 2879 cells: cell (63, 44) and those after it are missing"},
        {J, json({{"DATA", "[" + csvOf(gidsWith(0, 1)) + ",1]"}}),
         "the layer data holds more than 2880 cells: it goes on past cell (63, 44)"},
        {T,
         tmx({{"ENC", R"(encoding="base64" compression="zlib")"},
              {"DATA", base64Of(sampleGids(), "gzip")}}),
         "the layer data's zlib stream is damaged"},
        {T,
         tmx({{"ENC", R"(encoding="base64" compression="gzip")"},
              {"DATA", base64Of(sampleGids(), "zlib")}}),
         "the layer data's gzip stream is damaged"},
        {T, tmx({{"ENC", R"(encoding="base64")"}, {"DATA", base64Of(threeThousand(), "")}}),
         "the layer data holds more than 2880 cells: it goes on past cell (63, 44)"},
        {J,
         json({{"ENC", R"("encoding": "base64", "compression": "zlib",)"},
               {"DATA", '"' + base64Of(threeThousand(), "zlib") + '"'}}),
         "the layer data holds more than 2880 cells"},
        {T,
         tmx({{"ENC", R"(encoding="base64")"},
              {"DATA", withStrayBytes(base64Of(sampleGids(), ""))}}),
         "the layer data's 11522 bytes are no whole number of 4-byte gids"},
        {T,
         tmx({{"ENC", R"(encoding="base64" compression="zlib")"},
              {"DATA", withStrayBytes(base64Of(sampleGids(), "zlib"))}}),
         "the layer data goes on after its zlib stream"},
        {J,
         json({{"ENC", R"("encoding": "base64", "compression": "zstd",)"},
               {"DATA", '"' + withStrayBytes(base64Of(sampleGids(), "zstd")) + '"'}}),
         "the layer data goes on after its zstd stream"},
        {T,
         tmx({{"ENC", R"(encoding="base64" compression="zstd")"},
              {"DATA", base64Of(threeThousand(), "zstd")}}),
         "the layer data holds more than 2880 cells"},
        {T,
         tmx({{"ENC", R"(encoding="base64" compression="zstd")"},
              {"DATA", cutShort(base64Of(sampleGids(), "zstd"))}}),
         "the layer data's zstd stream is damaged"},
        {T, tmx({{"ENC", R"(encoding="csv" compression="zlib")"}}),
         "compression goes with the base64 encoding only"},
        {T, tmx({{"SHEET", R"(<tileset firstgid="1" tilewidth="10" tileheight="16"/>)"}}),
         "the tileset's tiles are 10 x 16 pixels, not 10 x 10"},
        {J, json({{"SHEET", R"({"firstgid": 0, "tilewidth": 10, "tileheight": 10})"}}),
         "the tileset's first gid 0 is no gid a tile can have"},
        {J, "[]", "no JSON map"},
        {T, tmx({{"SHEET", R"(<tileset firstgid="1" source="big.tsx"/>)"}}),
         "the tileset's tiles are 32 x 32 pixels, not 10 x 10"},
        {J, json({{"SHEET", R"({"firstgid": 1, "source": "big.tsj"})"}}),
         "the tileset's tiles are 32 x 32 pixels, not 10 x 10"},
        {T, tmx({{"SHEET", R"(<tileset firstgid="1" source="gone.tsx"/>)"}}),
         "tileset file \"gone.tsx\": File not found"},
        {T,
         tmx({{"ORIENT", "isometric"},
              {"WIDTH", "65"},
              {"TILEW", "16"},
              {"EXTRA", secondLayer + secondLayer}}),
         "the map is \"isometric\", not orthogonal; the map is 65 x 45 tiles, not 64 x 45; the "
         "map's tiles are 16 x 10 pixels, not 10 x 10; the map has more than one tile layer; the "
         "layer "
         "data holds 1 cells"},
        {T, tmxWithin(MaxAttributes + 1, 1, 0), "more than 64 attributes on one element at line 4"},
        {T, tmxWithin(0, MaxNesting + 1, 0), "elements nested more than 32 deep at line 4"},
        {T, tmxWithin(0, 1, MaxMapBytes + 1), "the file is larger than 1048576 bytes"},
        {T, tmx({}).replace("<map ", "<!DOCTYPE map [<!ATTLIST map a CDATA 'b'>]>\n<map "),
         "a <!ATTLIST declaration at line 2"},
        {J, jsonWithin(MaxNesting + 1, 0), "arrays and objects nested more than 32 deep at byte"},
        {J, jsonWithin(MaxNesting, MaxMapBytes + 1), "the file is larger than 1048576 bytes"},
    };
    for (const Refused& row : rows) {
        try {
            import(row.map, row.format);
            ADD_FAILURE() << "accepted: " << row.message;
        } catch (const MapRefused& refused) {
            // The reasons expected and no other; the last one may go on (a cell, a column).
            const std::string reasons = refused.what();
            EXPECT_TRUE(reasons.starts_with(row.message) &&
                        reasons.find("; ", std::strlen(row.message)) == std::string::npos)
                << reasons << "\n  expected: " << row.message;
        }
    }
}

// Any level the editor writes comes back cell for cell, with no empty cell, from either format.
TEST(MapImport, OurExportImportsAsTheSameLevel) {
    std::mt19937 random(20);
    std::vector<qorv::TileIndex> tiles;
    for (int tile = 0; tile < 256; ++tile)
        if (qorv::M2O(qorv::TileIndex(tile))) tiles.push_back(qorv::TileIndex(tile));
    const TileSheetFacts sheet{"../sheets/all.bmp", 160, 90};
    for (int level = 0; level < 20; ++level) {
        qorv::LevelGrid grid;
        for (qorv::TileIndex& cell : grid.cells)
            cell = tiles[random() % tiles.size()];
        for (const MapFormat format : {MapFormat::Tmx, MapFormat::Json}) {
            const QByteArray map = exportMap(grid, sheet, format);
            const ImportedMap back = import(map, format);
            EXPECT_EQ(back.grid, grid);
            EXPECT_EQ(back.emptyCells, 0);
            EXPECT_TRUE(map.contains(
                format == MapFormat::Tmx
                    ? R"(name="all" tilewidth="10" tileheight="10" tilecount="144" columns="16")"
                    : R"("columns":16)"));
            EXPECT_EQ(map.contains(R"("name":"all")"), format == MapFormat::Json);
        }
    }
}

TEST(MapImport, TheExtensionNamesTheFormat) {
    EXPECT_EQ(mapFormatOf("a.TMX"), MapFormat::Tmx);
    EXPECT_EQ(mapFormatOf("a.tmj"), MapFormat::Json);
    EXPECT_EQ(mapFormatOf("a.json"), MapFormat::Json);
    EXPECT_THROW(mapFormatOf("a.tmx.qre"), MapRefused);
}

// The map names the sheet's very file, or the export is refused: the XML writer drops a
// control character, and the map would name another file.
TEST(MapExport, TheSheetIsNamedExactlyOrNotAtAll) {
    const struct {
        QString name;
        bool held;
    } rows[] = {{"esc\x1b.bmp", false},
                {"\x1f.bmp", false},
                {QString(QChar(0xFFFE)) + ".bmp", false},
                {QString(QChar(0xD800)) + ".bmp", false},
                {"tab\tnew\nline\r.bmp", true},
                {QString::fromUtf8("edges \uD7FF\uE000\uFFFD\x7f\U0001F600"), true}};
    for (const auto& row : rows) {
        try {
            QXmlStreamReader xml(exportMap({}, {row.name, 160, 90}, MapFormat::Tmx));
            while (xml.readNextStartElement() && xml.name() != u"image")
                if (xml.name() == u"layer") xml.skipCurrentElement();
            EXPECT_EQ(xml.attributes().value("source"), row.name);
            EXPECT_TRUE(row.held) << row.name.toStdString();
        } catch (const MapRefused& refused) {
            EXPECT_FALSE(row.held) << row.name.toStdString();
            EXPECT_STREQ(refused.what(),
                         "the tile sheet's name holds a character a TMX map cannot hold");
        }
    }
}

} // namespace
