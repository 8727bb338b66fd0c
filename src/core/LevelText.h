#pragma once
// The level text format as bytes: 45 lines of 64 bytes, each ended by CR LF, one byte per
// cell through the character table.

#include "core/LevelGrid.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qorv {

inline constexpr int LevelFileSize = GridHeight * (GridWidth + 2); // 2,970 bytes

// How far the bytes of a level file went.
enum class LevelParse {
    Complete,     // 45 lines of at least 64 bytes each
    LinesMissing, // a line shorter than a row, or fewer lines than rows
    CutShort,     // the bytes ended inside the level, and more of the file follows them
};

// A place in a level's text: 1-based line and byte column.
struct TextPosition {
    int line = 0;
    int column = 0;
};

// Reads the level in `bytes`, the whole file or, with `fileGoesOn`, its first bytes.
// `grid` is written only when the level is Complete. When lines are missing, `end` (if
// given) is where the text ends short: the column after the last byte of the short line, or
// of the last line when lines are missing after it.
LevelParse parseLevelText(std::string_view bytes, bool fileGoesOn, LevelGrid& grid,
                          TextPosition* end = nullptr);

// How a text conversion rewrote the line ends of a level that was whole before it.
enum class LineEndConversion {
    LfForCrLf,     // every CR LF became LF: git's text conversion, dos2unix
    CrCrLfForCrLf, // every LF became CR LF, the CR LF ones too: a conversion done twice
};

struct ConvertedLineEnds {
    LineEndConversion conversion;
    TextPosition firstLineEnd; // where the first converted line end starts
};

// Whether `bytes`, a whole file that is no level, would be one but for a conversion of every
// line end: the level is then still there, and what went wrong is the conversion.
std::optional<ConvertedLineEnds> convertedLineEnds(std::string_view bytes);

// A cell whose tile has no character, which no level file can hold.
struct UnwritableCell {
    int x = 0;
    int y = 0;
    TileIndex tile = 0;
};

// The 2,970 bytes of the file for `grid`, or its first unwritable cell, row by row.
std::variant<std::string, UnwritableCell> formatLevelText(const LevelGrid& grid);

} // namespace qorv
