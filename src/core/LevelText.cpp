#include "core/LevelText.h"

#include "core/CharTable.h"

#include <array>
#include <cstring>

namespace qorv {

namespace {

constexpr char LineEndCR = '\r';
constexpr char LineEndLF = '\n';
constexpr char EndOfFileByte = 0x1A;

// The first 64 bytes of each line, as they stand in the file.
using LevelRows = std::array<std::array<unsigned char, GridWidth>, GridHeight>;

void storeLevel(const LevelRows& rows, LevelGrid& grid) {
    // The file is row by row and the grid column by column. Walking the grid in its own
    // order keeps the stores in sequence, which is what the processor is fast at; the
    // scattered reads come from the small row buffer.
    TileIndex* cell = grid.cells.data();
    for (int x = 0; x < GridWidth; ++x)
        for (int y = 0; y < GridHeight; ++y)
            *cell++ = CharToTile[rows[y][x]];
}

} // namespace

// A line is the bytes up to the next CR; an LF right after the CR belongs to the line
// end, any other LF is a byte of the line. The last line of the file needs no line end,
// and a byte 0x1A ends the file. Only the first 64 bytes of a line are used, and whatever
// follows the 45th line is never looked at.
LevelParse parseLevelText(std::string_view bytes, bool fileGoesOn, LevelGrid& grid,
                          TextPosition* end) {
    if (const std::size_t end = bytes.find(EndOfFileByte); end != std::string_view::npos) {
        bytes = bytes.substr(0, end);
        fileGoesOn = false;
    }
    LevelRows rows;
    std::size_t start = 0;
    for (int y = 0; y < GridHeight; ++y) {
        const std::size_t cr = bytes.find(LineEndCR, start);
        const bool lastInFile = cr == std::string_view::npos;
        if (lastInFile && fileGoesOn) return LevelParse::CutShort;
        const std::size_t length = (lastInFile ? bytes.size() : cr) - start;
        // A line shorter than a row has no bytes for the rest of the row: reading them
        // would be reading beyond the end of the line.
        if (length < GridWidth || (lastInFile && y < GridHeight - 1)) {
            if (end) *end = {y + 1, static_cast<int>(length) + 1};
            return LevelParse::LinesMissing;
        }
        std::memcpy(rows[y].data(), bytes.data() + start, GridWidth);
        if (lastInFile) break;
        start = cr + 1;
        if (start < bytes.size() && bytes[start] == LineEndLF) ++start;
    }
    storeLevel(rows, grid);
    return LevelParse::Complete;
}

namespace {

// `bytes` with every `from` replaced by `to`.
std::string replacedAll(std::string_view bytes, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / GridWidth);
    for (std::size_t start = 0;;) {
        const std::size_t at = bytes.find(from, start);
        out.append(bytes.substr(start, at - start));
        if (at == std::string_view::npos) return out;
        out.append(to);
        start = at + from.size();
    }
}

std::size_t countOf(std::string_view bytes, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = bytes.find(what); at != std::string_view::npos;
         at = bytes.find(what, at + what.size()))
        ++count;
    return count;
}

// Which conversion every line end of `bytes` shows, if any: LF with no CR anywhere, or CR CR LF
// with no CR outside one.
std::optional<LineEndConversion> lineEndsOf(std::string_view bytes) {
    const std::size_t crs = countOf(bytes, "\r");
    if (crs == 0 && bytes.find(LineEndLF) != std::string_view::npos)
        return LineEndConversion::LfForCrLf;
    const std::size_t doubled = countOf(bytes, "\r\r\n");
    if (doubled > 0 && crs == 2 * doubled) return LineEndConversion::CrCrLfForCrLf;
    return std::nullopt;
}

} // namespace

std::optional<ConvertedLineEnds> convertedLineEnds(std::string_view bytes) {
    const std::optional<LineEndConversion> conversion = lineEndsOf(bytes);
    if (!conversion) return std::nullopt;
    const std::string restored = *conversion == LineEndConversion::LfForCrLf
                                     ? replacedAll(bytes, "\n", "\r\n")
                                     : replacedAll(bytes, "\r\r\n", "\r\n");
    LevelGrid scratch;
    if (parseLevelText(restored, false, scratch) != LevelParse::Complete) return std::nullopt;
    // Both conversions leave no line end before the first converted one: it ends line 1.
    const std::size_t first = bytes.find_first_of("\r\n");
    return ConvertedLineEnds{*conversion, {1, static_cast<int>(first) + 1}};
}

std::variant<std::string, UnwritableCell> formatLevelText(const LevelGrid& grid) {
    std::string bytes(LevelFileSize, '\0');
    char* out = bytes.data();
    for (int y = 0; y < GridHeight; ++y) {
        for (int x = 0; x < GridWidth; ++x) {
            const TileIndex tile = grid.at(x, y);
            const std::optional<unsigned char> c = M2O(tile);
            if (!c) return UnwritableCell{x, y, tile};
            *out++ = static_cast<char>(*c);
        }
        *out++ = LineEndCR;
        *out++ = LineEndLF;
    }
    return bytes;
}

} // namespace qorv
