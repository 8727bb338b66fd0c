#include "core/CharTable.h"

#include <cstddef>

namespace qorv {

namespace {

inline constexpr TileIndex NoCharTile = 255;

// One run of consecutive bytes whose tiles rise by one with the byte value.
struct CharRun {
    unsigned char firstByte;
    unsigned char lastByte;
    TileIndex firstTile;
};

// Every byte not covered here reads as tile 255. The two odd entries, "n" = 244 and
// 0xCA = 202, are one-byte runs of their own, which is why tiles 49 and 132 come
// from the bytes after them.
inline constexpr CharRun CharRuns[] = {
    {0x30, 0x39, 0},   // "0".."9"
    {0x41, 0x5A, 10},  // "A".."Z"
    {0x61, 0x6D, 36},  // "a".."m"
    {0x6E, 0x6E, 244}, // "n"
    {0x6F, 0x71, 49},  // "o".."q"
    {0x73, 0x73, 52},  // "s"
    {0x77, 0x79, 53},  // "w".."y"
    {0x7C, 0x87, 56},  // "|", "}", "~", 0x7F, 0x80..0x87
    {0x89, 0xA8, 68},  //
    {0xAA, 0xC9, 100}, //
    {0xCA, 0xCA, 202}, //
    {0xCB, 0xD6, 132}, //
};

constexpr std::array<TileIndex, 256> buildCharToTile() {
    std::array<TileIndex, 256> table{};
    table.fill(NoCharTile);
    for (const CharRun& run : CharRuns)
        for (int b = run.firstByte; b <= run.lastByte; ++b)
            table[static_cast<std::size_t>(b)] =
                static_cast<TileIndex>(run.firstTile + (b - run.firstByte));
    return table;
}

inline constexpr std::array<TileIndex, 256> CharTable = buildCharToTile();

// The inverse: for each tile, the lowest byte whose entry is that tile (what a rising
// search of the table finds first), or -1 when no byte reads as that tile.
constexpr std::array<short, 256> buildTileToChar() {
    std::array<short, 256> inverse{};
    inverse.fill(-1);
    for (int b = 255; b >= 0; --b)
        inverse[CharTable[static_cast<std::size_t>(b)]] = static_cast<short>(b);
    return inverse;
}

inline constexpr std::array<short, 256> TileToChar = buildTileToChar();

constexpr int countCharTiles() {
    int count = 0;
    for (short b : TileToChar)
        count += b >= 0 ? 1 : 0;
    return count;
}

constexpr bool isWritten(int byte) {
    for (short b : TileToChar)
        if (b == byte) return true;
    return false;
}

static_assert(CharTable['0'] == 0 && CharTable['A'] == 10 && CharTable['a'] == 36);
static_assert(CharTable['n'] == 244 && CharTable['o'] == 49 && CharTable[0xCA] == 202);
static_assert(CharTable[0xCB] == 132 && CharTable[0xD6] == 143 && CharTable[0xD7] == 255);
static_assert(TileToChar[255] == 0, "tile 255 is written as the byte 0x00");
static_assert(countCharTiles() == 256 - 109, "109 tiles have no character");
static_assert(!isWritten('\r') && !isWritten('\n') && !isWritten(0x1A),
              "no tile is written as a line end or an end-of-file byte");

} // namespace

// Constant-initialised: no start-up code runs before the table can be used.
constinit const std::array<TileIndex, 256> CharToTile = CharTable;

std::optional<unsigned char> M2O(TileIndex tile) {
    const short b = TileToChar[tile];
    if (b < 0) return std::nullopt;
    return static_cast<unsigned char>(b);
}

} // namespace qorv
