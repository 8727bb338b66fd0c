#include "core/CharTable.h"

#include <gtest/gtest.h>

#include <optional>

namespace qorv {
namespace {

struct ByteTile {
    int byte;
    int tile;
};

// Both ends of every run of the table, and the bytes around the two odd entries.
constexpr ByteTile RunEnds[] = {
    {0x00, 255}, {0x0A, 255}, {0x0D, 255}, {0x1A, 255}, {0x20, 255}, {0x2E, 255}, {0x2F, 255},
    {0x30, 0},   {0x39, 9},   {0x3A, 255}, {0x3F, 255}, {0x40, 255}, {0x41, 10},  {0x5A, 35},
    {0x5B, 255}, {0x60, 255}, {0x61, 36},  {0x6D, 48},  {0x6E, 244}, {0x6F, 49},  {0x71, 51},
    {0x72, 255}, {0x73, 52},  {0x74, 255}, {0x75, 255}, {0x76, 255}, {0x77, 53},  {0x79, 55},
    {0x7A, 255}, {0x7B, 255}, {0x7C, 56},  {0x7F, 59},  {0x80, 60},  {0x87, 67},  {0x88, 255},
    {0x89, 68},  {0xA8, 99},  {0xA9, 255}, {0xAA, 100}, {0xC9, 131}, {0xCA, 202}, {0xCB, 132},
    {0xD6, 143}, {0xD7, 255}, {0xFF, 255},
};

TEST(CharToTile, RunEnds) {
    for (const ByteTile& row : RunEnds)
        EXPECT_EQ(CharToTile[row.byte], row.tile) << "byte 0x" << std::hex << row.byte;
}

TEST(CharToTile, OneHundredTenBytesReadAsTile255) {
    int count = 0;
    for (TileIndex tile : CharToTile)
        count += tile == 255 ? 1 : 0;
    EXPECT_EQ(count, 110);
}

TEST(CharToTile, TilesUpTo143HaveOneByteEachOtherTilesNone) {
    int bytesOfTile[256] = {};
    for (TileIndex tile : CharToTile)
        ++bytesOfTile[tile];
    for (int tile = 0; tile < 255; ++tile) {
        const bool hasOne = tile <= 143 || tile == 202 || tile == 244;
        EXPECT_EQ(bytesOfTile[tile], hasOne ? 1 : 0) << "tile " << tile;
    }
}

// The lookup as the format defines it: rising bytes from 0, indexed by the low 8 bits
// of the counter. It would never end for a tile without a byte, so it gives up after
// one full turn of the table.
std::optional<unsigned char> searchedByte(TileIndex tile) {
    for (unsigned counter = 0; counter < 256; ++counter)
        if (CharToTile[counter & 0xFF] == tile) return static_cast<unsigned char>(counter & 0xFF);
    return std::nullopt;
}

TEST(M2O, MatchesTheRisingSearchForEveryTile) {
    for (int tile = 0; tile < 256; ++tile)
        EXPECT_EQ(M2O(static_cast<TileIndex>(tile)), searchedByte(static_cast<TileIndex>(tile)))
            << "tile " << tile;
}

struct TileByte {
    int tile;
    int byte; // -1: no character
};

constexpr TileByte WrittenBytes[] = {
    {0, '0'},    {9, '9'},    {10, 'A'},   {35, 'Z'},   {36, 'a'},   {48, 'm'},   {49, 'o'},
    {51, 'q'},   {52, 's'},   {53, 'w'},   {55, 'y'},   {56, 0x7C},  {67, 0x87},  {68, 0x89},
    {99, 0xA8},  {100, 0xAA}, {131, 0xC9}, {132, 0xCB}, {143, 0xD6}, {202, 0xCA}, {244, 'n'},
    {255, 0x00}, {144, -1},   {201, -1},   {203, -1},   {243, -1},   {245, -1},   {254, -1},
};

TEST(M2O, WrittenBytes) {
    for (const TileByte& row : WrittenBytes) {
        const std::optional<unsigned char> expected =
            row.byte < 0 ? std::nullopt : std::optional<unsigned char>(row.byte);
        EXPECT_EQ(M2O(static_cast<TileIndex>(row.tile)), expected) << "tile " << row.tile;
    }
}

TEST(M2O, OneHundredNineTilesHaveNoCharacter) {
    int count = 0;
    for (int tile = 0; tile < 256; ++tile)
        count += M2O(static_cast<TileIndex>(tile)) ? 0 : 1;
    EXPECT_EQ(count, 109);
}

TEST(M2O, NoTileIsWrittenAsALineEndOrEndOfFile) {
    for (int tile = 0; tile < 256; ++tile) {
        const auto byte = M2O(static_cast<TileIndex>(tile));
        if (!byte) continue;
        EXPECT_NE(*byte, '\r') << "tile " << tile;
        EXPECT_NE(*byte, '\n') << "tile " << tile;
        EXPECT_NE(*byte, 0x1A) << "tile " << tile;
    }
}

TEST(M2O, WrittenByteReadsBackAsTheSameTile) {
    for (int tile = 0; tile < 256; ++tile)
        if (const auto byte = M2O(static_cast<TileIndex>(tile))) {
            EXPECT_EQ(CharToTile[*byte], tile) << "tile " << tile;
        }
}

} // namespace
} // namespace qorv
