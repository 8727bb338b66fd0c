// The level text in memory: line rules of the reader and bytes of the writer.

#include "LevelTextSamples.h"
#include "core/LevelText.h"

#include <gtest/gtest.h>

#include <random>

namespace qorv {
namespace {

using test::joinLines;
using test::sampleGrid;
using test::sampleRow;
using test::sampleRows;

// How reading the whole file `bytes` failed; nothing when it read.
std::optional<LevelParse> readFailure(std::string_view bytes) {
    LevelGrid grid;
    const LevelParse read = parseLevelText(bytes, false, grid);
    if (read == LevelParse::Complete) return std::nullopt;
    return read;
}

LevelGrid parseLevel(std::string_view bytes) {
    LevelGrid grid;
    EXPECT_EQ(parseLevelText(bytes, false, grid), LevelParse::Complete);
    return grid;
}

std::string formatLevel(const LevelGrid& grid) {
    return std::get<std::string>(formatLevelText(grid));
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
    grid.at(2, 8) = 151;
    const auto text = formatLevelText(grid);
    ASSERT_TRUE(std::holds_alternative<UnwritableCell>(text)) << "tile 150 was written";
    const UnwritableCell cell = std::get<UnwritableCell>(text);
    EXPECT_EQ(std::tuple(cell.x, cell.y, cell.tile), std::tuple(3, 7, TileIndex{150}));
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
    EXPECT_EQ(readFailure(joinLines(sampleRows(), "\n")), LevelParse::LinesMissing);
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
        std::optional<LevelParse> failure;
    } rows[] = {
        {"after the 45 lines", joinLines(sampleRows()) + "\x1A" + "garbage", std::nullopt},
        {"right after the 64 bytes of line 45", joinLines(sampleRows(), "\r\n", false) + "\x1A\r\n",
         std::nullopt},
        {"in the skipped tail of line 45", joinLines(sampleRows(), "\r\n", false) + "tail\x1A",
         std::nullopt},
        {"inside line 10",
         joinLines(sampleRows(9)) + sampleRow(9).substr(0, 30) + "\x1A" + sampleRow(9).substr(30) +
             "\r\n" + joinLines(std::vector<std::string>(35, sampleRow(10))),
         LevelParse::LinesMissing},
        {"after line 20, more lines following",
         joinLines(sampleRows(20)) + "\x1A" + joinLines(sampleRows(25)), LevelParse::LinesMissing},
        {"in the tail of line 44",
         joinLines(sampleRows(43)) + sampleRow(43) + "xx\x1A\r\n" + sampleRow(44),
         LevelParse::LinesMissing},
        {"between CR and LF", joinLines(sampleRows(), "\r", false) + "\x1A\n", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(readFailure(row.text), row.failure) << row.what;
        if (!row.failure) {
            EXPECT_EQ(parseLevel(row.text), sampleGrid()) << row.what;
        }
    }
}

// The first bytes of a longer file: only a level that runs on past them is cut short.
TEST(ParseLevel, TheStartOfALongerFile) {
    const std::string whole = joinLines(sampleRows());
    struct Row {
        const char* what;
        std::string text;
        LevelParse read;
    } rows[] = {
        {"45 lines", whole, LevelParse::Complete},
        {"45 lines, the last without its end", whole.substr(0, 2968), LevelParse::CutShort},
        {"a short line first", joinLines({"short", sampleRow(1)}), LevelParse::LinesMissing},
        {"an end-of-file byte", joinLines(sampleRows(3)) + "\x1A" + whole,
         LevelParse::LinesMissing},
    };
    for (const Row& row : rows) {
        LevelGrid grid;
        EXPECT_EQ(parseLevelText(row.text, true, grid), row.read) << row.what;
    }
}

TEST(ParseLevel, MissingBytesAreLinesMissing) {
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
        EXPECT_EQ(readFailure(row.text), LevelParse::LinesMissing) << row.what;
    }
}

// A level whose every line end a conversion rewrote is told apart from one that is broken:
// only undoing the conversion everywhere must give a level.
TEST(ConvertedLineEnds, EveryLineEndOrNone) {
    using enum LineEndConversion;
    std::vector<std::string> longFirst = sampleRows();
    longFirst[0] += "tail";
    std::vector<std::string> shortLine = sampleRows();
    shortLine[6].pop_back();
    const std::string lf = joinLines(sampleRows(), "\n");
    const std::string crcrlf = joinLines(sampleRows(), "\r\r\n");
    struct Row {
        const char* what;
        std::string text;
        std::optional<LineEndConversion> found;
        int column = 65; // of line 1, where its line end starts
    } rows[] = {
        {"LF for CR LF", lf, LfForCrLf},
        {"LF, no end after the last line", joinLines(sampleRows(), "\n", false), LfForCrLf},
        {"LF after a long first line", joinLines(longFirst, "\n"), LfForCrLf, 69},
        {"CR CR LF for CR LF", crcrlf, CrCrLfForCrLf},
        {"a whole level with CR LF", joinLines(sampleRows()), std::nullopt},
        {"LF and a line of 63 bytes", joinLines(shortLine, "\n"), std::nullopt},
        {"LF, 44 lines", joinLines(sampleRows(44), "\n"), std::nullopt},
        {"LF and one CR LF", lf.substr(0, 65) + "\r" + lf.substr(65), std::nullopt},
        {"CR CR LF and one CR LF", crcrlf.substr(0, crcrlf.size() - 3) + "\r\n", std::nullopt},
        {"CR CR LF, 44 lines", joinLines(sampleRows(44), "\r\r\n"), std::nullopt},
        {"no line end at all", sampleRow(0), std::nullopt},
        {"empty file", "", std::nullopt},
    };
    for (const Row& row : rows) {
        const std::optional<ConvertedLineEnds> found = convertedLineEnds(row.text);
        ASSERT_EQ(found.has_value(), row.found.has_value()) << row.what;
        if (!found) continue;
        EXPECT_EQ(found->conversion, *row.found) << row.what;
        EXPECT_EQ(found->firstLineEnd.line, 1) << row.what;
        EXPECT_EQ(found->firstLineEnd.column, row.column) << row.what;
    }
}

} // namespace
} // namespace qorv
