// Importing maps: every encoding and compression Tiled writes gives the level; every map
// a level cannot hold is refused with its reason and its first offending cell.

#include "MapText.h"

#include "core/CharTable.h"
#include "interchange/MapExport.h"
#include "interchange/MapImport.h"

#include <gtest/gtest.h>

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
 <tileset firstgid="1" name="all" tilewidth="10" tileheight="10"><image source="all.bmp"/></tileset>$TILESET
 $EXTRA<layer id="1" name="level" width="64" height="45">
  <data $ENC>$DATA</data>
 </layer>
</map>
)";

const QByteArray Json = R"({"type": "map", "orientation": "$ORIENT", "width": $WIDTH, "height": 45,
 "tilewidth": $TILEW, "tileheight": 10, "infinite": $INF,
 "tilesets": [{"firstgid": 1, "tilewidth": 10, "tileheight": 10, "image": "all.bmp"}$TILESET],
 "layers": [$EXTRA{"type": "tilelayer", "name": "level", "width": 64, "height": 45, $ENC "data": $DATA}]})";

QByteArray tmx(Values values) {
    values.insert(values.end(), {{"ORIENT", "orthogonal"},
                                 {"WIDTH", "64"},
                                 {"TILEW", "10"},
                                 {"INF", "0"},
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
              {"DATA", "\n   " + base64Of(sampleGids(), "") + "\n  "}})},
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
         tmx({{"ENC", ""}, {"DATA", tileElements(sampleGids())}})},
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
    };
    for (const Accepted& row : rows) {
        try {
            const ImportedMap map = importMap(row.map, row.format);
            EXPECT_EQ(map.grid, qorv::test::sampleLevel()) << row.name;
            EXPECT_EQ(map.emptyCells, 1) << row.name;
            EXPECT_TRUE(map.notes.isEmpty()) << row.name;
        } catch (const MapRefused& refused) {
            ADD_FAILURE() << row.name << ": " << refused.what();
        }
    }
}

TEST(MapImport, OtherLayersArePassedOverWithANote) {
    const ImportedMap fromTmx = importMap(
        tmx({{"EXTRA",
              R"(<objectgroup name="things"><object id="1"/></objectgroup><imagelayer name="sky"/><group name="g"><layer name="inner"/></group>)"}}),
        MapFormat::Tmx);
    EXPECT_EQ(fromTmx.notes,
              QStringList({"object layer \"things\" passed over", "image layer \"sky\" passed over",
                           "group layer \"g\" passed over"}));
    const ImportedMap fromJson = importMap(
        json({{"EXTRA", R"({"type": "objectgroup", "name": "things"},)"}}), MapFormat::Json);
    EXPECT_EQ(fromJson.notes, QStringList{"object layer \"things\" passed over"});
    EXPECT_EQ(fromJson.grid, qorv::test::sampleLevel());
    // A name that would retitle the terminal reaches it quoted.
    const ImportedMap hostile =
        importMap(json({{"EXTRA", R"({"type": "objectgroup", "name": "\u001b]0;PWN\u0007"},)"}}),
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
        {T, tmx({{"EXTRA", secondLayer}}), "the map has more than one tile layer"},
        {J, json({{"EXTRA", R"({"type": "tilelayer", "width": 64, "height": 45, "data": []},)"}}),
         "the map has more than one tile layer"},
        {T, tmx({{"TILESET", R"(<tileset firstgid="300" source="more.tsx"/>)"}}),
         "the map has more than one tileset"},
        {J, json({{"TILESET", R"(, {"firstgid": 300, "source": "more.tsj"})"}}),
         "the map has more than one tileset"},
        {T, tmx({{"DATA", csvOf(gidsWith(66, 0x80000003))}}), "cell (2, 1) is flipped or rotated"},
        {J, json({{"DATA", "[" + csvOf(gidsWith(64 * 44, 0x20000001)) + "]"}}),
         "cell (0, 44) is flipped or rotated"},
        {T, tmx({{"DATA", csvOf(gidsWith(7, 151))}}),
         "cell (7, 0) holds tile 150, which has no character in a level file"},
        {J, json({{"DATA", "[" + csvOf(gidsWith(130, 257)) + "]"}}),
         "cell (2, 2) holds tile 256, which has no character in a level file"},
        {T, tmx({{"ENC", R"(encoding="hex")"}}), "unknown encoding \"hex\""},
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
    };
    for (const Refused& row : rows) {
        try {
            importMap(row.map, row.format);
            ADD_FAILURE() << "accepted: " << row.message;
        } catch (const MapRefused& refused) {
            EXPECT_TRUE(std::string(refused.what()).starts_with(row.message))
                << refused.what() << "\n  expected: " << row.message;
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
            const ImportedMap back = importMap(map, format);
            EXPECT_EQ(back.grid, grid);
            EXPECT_EQ(back.emptyCells, 0);
            EXPECT_TRUE(map.contains(format == MapFormat::Tmx ? R"(tilecount="144" columns="16")"
                                                              : R"("columns":16)"));
        }
    }
}

} // namespace
