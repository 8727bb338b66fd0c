// The level text in memory: line rules of the reader and bytes of the writer.

#include "IoMessage.h"
#include "LevelTextSamples.h"
#include "core/IoError.h"
#include "core/LevelFile.h"

#include <gtest/gtest.h>

#include <random>

namespace qorv {
namespace {

using test::joinLines;
using test::sampleGrid;
using test::sampleRow;
using test::sampleRows;

std::optional<IoCode> readErrorCode(std::string_view bytes) {
    return test::ioCodeOf([&] { parseLevel(bytes); });
}

TEST(FormatLevel, NewLevel) {
    LevelGrid grid;
    ClearFull(grid);
    const std::string bytes = formatLevel(grid);
    ASSERT_EQ(bytes.size(), 2970u);
    const std::string wall(64, '1');
    const std::string inside = "1" + std::string(62, '0') + "1";
    for (int line = 0; line < 45; ++line) {
        const std::string expected = (line == 0 || line == 44 ? wall : inside) + "\r\n";
        EXPECT_EQ(bytes.substr(line * 66, 66), expected) << "line " << line + 1;
    }
}

TEST(FormatLevel, RowsGoTopToBottomCellsLeftToRight) {
    EXPECT_EQ(formatLevel(sampleGrid()), joinLines(sampleRows()));
}

TEST(FormatLevel, OddTilesAndTile255) {
    struct Row {
        TileIndex tile;
        char byte;
    } rows[] = {{244, 'n'}, {49, 'o'}, {202, '\xCA'}, {132, '\xCB'}, {255, '\0'}, {10, 'A'}};
    for (const Row& row : rows) {
        LevelGrid grid;
        grid.at(17, 23) = row.tile;
        EXPECT_EQ(formatLevel(grid)[23 * 66 + 17], row.byte) << "tile " << int(row.tile);
    }
}

TEST(FormatLevel, RefusesATileWithoutCharacterNamingTileAndCell) {
    LevelGrid grid;
    grid.at(3, 7) = 150;
    try {
        formatLevel(grid);
        FAIL() << "tile 150 was written";
    } catch (const IoError&) {
        FAIL() << "not a file error";
    } catch (const EditorError& e) {
        EXPECT_STREQ(e.what(),
                     "Tile 150 at column 3, row 7 has no character in the level file format");
    }
}

TEST(ParseLevel, ReadsWhatTheWriterWrote) {
    EXPECT_EQ(parseLevel(joinLines(sampleRows())), sampleGrid());
}

TEST(ParseLevel, SingleBytes) {
    struct Row {
        char byte;
        TileIndex tile;
    } rows[] = {{'n', 244},  {'o', 49},  {'\xCA', 202}, {'\xCB', 132}, {'A', 10},  {'a', 36},
                {'\0', 255}, {'.', 255}, {' ', 255},    {'r', 255},    {'z', 255}, {'\n', 255}};
    for (const Row& row : rows) {
        std::vector<std::string> lines = sampleRows();
        lines[23][17] = row.byte;
        EXPECT_EQ(parseLevel(joinLines(lines)).at(17, 23), row.tile) << "byte " << int(row.byte);
    }
}

TEST(ParseLevel, UnknownBytesComeBackAsZeroBytes) {
    std::vector<std::string> lines = sampleRows();
    lines[5].replace(0, 4, ". rz");
    std::vector<std::string> written = sampleRows();
    written[5].replace(0, 4, std::string(4, '\0'));
    EXPECT_EQ(formatLevel(parseLevel(joinLines(lines))), joinLines(written));
}

TEST(ParseLevel, RoundTripOfRandomGridsWithCharacters) {
    std::vector<TileIndex> written;
    for (int tile = 0; tile < 256; ++tile)
        if (tile <= 143 || tile == 202 || tile == 244 || tile == 255)
            written.push_back(static_cast<TileIndex>(tile));
    std::mt19937 random(20240601);
    for (int round = 0; round < 20; ++round) {
        LevelGrid grid;
        for (TileIndex& cell : grid.cells)
            cell = written[random() % written.size()];
        EXPECT_EQ(parseLevel(formatLevel(grid)), grid) << "round " << round;
    }
}

TEST(ParseLevel, LineEndsThatReadTheSame) {
    const std::vector<std::string> rows45 = sampleRows();
    const std::vector<std::string> laterRows(rows45.begin() + 2, rows45.end());
    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"CR LF", joinLines(sampleRows())},
        {"CR alone", joinLines(sampleRows(), "\r")},
        {"no end after the last line", joinLines(sampleRows(), "\r\n", false)},
        {"CR alone, none after the last", joinLines(sampleRows(), "\r", false)},
        {"mixed", joinLines({sampleRow(0), sampleRow(1)}, "\r") + joinLines(laterRows)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseLevel(row.text), sampleGrid()) << row.what;
}

TEST(ParseLevel, LongLinesKeepTheirFirst64Bytes) {
    std::vector<std::string> lines = sampleRows();
    lines[0] += std::string(16, 'Z'); // 80 bytes
    lines[10] += std::string(100000, 'q');
    lines[44] += "\n\n\n";
    EXPECT_EQ(parseLevel(joinLines(lines)), sampleGrid());
}

TEST(ParseLevel, LinesAfterThe45thAreNeverRead) {
    std::vector<std::string> lines = sampleRows();
    for (const char* extra : {"short", "", "\x1A", "1111"})
        lines.push_back(extra);
    EXPECT_EQ(parseLevel(joinLines(lines)), sampleGrid());
    EXPECT_EQ(parseLevel(joinLines(sampleRows()) + "x"), sampleGrid());
}

TEST(ParseLevel, LineFeedAloneIsAByteOfTheLine) {
    // One single line: row 0 is the first 64 bytes, LF bytes included, and row 1 is missing.
    EXPECT_EQ(readErrorCode(joinLines(sampleRows(), "\n")), iocode::ReadBeyondEnd);
    std::vector<std::string> lines = sampleRows();
    lines[3] = "\n" + lines[3].substr(1);
    EXPECT_EQ(parseLevel(joinLines(lines)).at(0, 3), 255);
    // CR LF LF: the second LF opens the next line.
    std::vector<std::string> shifted = sampleRows();
    shifted[4] = "\n" + shifted[4].substr(0, 63);
    EXPECT_EQ(parseLevel(joinLines(shifted)).at(1, 4), 4);
}

TEST(ParseLevel, EndOfFileByte) {
    struct Row {
        const char* what;
        std::string text;
        std::optional<IoCode> code;
    } rows[] = {
        {"after the 45 lines", joinLines(sampleRows()) + "\x1A" + "garbage", std::nullopt},
        {"right after the 64 bytes of line 45", joinLines(sampleRows(), "\r\n", false) + "\x1A\r\n",
         std::nullopt},
        {"in the skipped tail of line 45", joinLines(sampleRows(), "\r\n", false) + "tail\x1A",
         std::nullopt},
        {"inside line 10",
         joinLines(sampleRows(9)) + sampleRow(9).substr(0, 30) + "\x1A" + sampleRow(9).substr(30) +
             "\r\n" + joinLines(std::vector<std::string>(35, sampleRow(10))),
         iocode::ReadBeyondEnd},
        {"after line 20, more lines following",
         joinLines(sampleRows(20)) + "\x1A" + joinLines(sampleRows(25)), iocode::ReadBeyondEnd},
        {"in the tail of line 44",
         joinLines(sampleRows(43)) + sampleRow(43) + "xx\x1A\r\n" + sampleRow(44),
         iocode::ReadBeyondEnd},
        {"between CR and LF", joinLines(sampleRows(), "\r", false) + "\x1A\n", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(readErrorCode(row.text), row.code) << row.what;
        if (!row.code) {
            EXPECT_EQ(parseLevel(row.text), sampleGrid()) << row.what;
        }
    }
}

TEST(ParseLevel, MissingBytesAreReadBeyondEndOfFile) {
    std::vector<std::string> shortLine = sampleRows();
    shortLine[6].pop_back(); // 63 bytes
    std::vector<std::string> emptyLine = sampleRows();
    emptyLine[30].clear();
    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"empty file", ""},
        {"a line of 63 bytes", joinLines(shortLine)},
        {"an empty line", joinLines(emptyLine)},
        {"CR CR", joinLines(sampleRows(10), "\r") + "\r" + joinLines(sampleRows(35), "\r")},
        {"44 lines", joinLines(sampleRows(44))},
        {"44 lines, no end after the last", joinLines(sampleRows(44), "\r\n", false)},
        {"45th line of 63 bytes, no end", joinLines(sampleRows(), "\r\n", false).substr(0, 2967)},
        {"one line only", sampleRow(0)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(readErrorCode(row.text), iocode::ReadBeyondEnd) << row.what;
        try {
            parseLevel(row.text);
        } catch (const IoError& e) {
            EXPECT_STREQ(e.what(), "Read beyond end of file") << row.what;
        }
    }
}

} // namespace
} // namespace qorv
