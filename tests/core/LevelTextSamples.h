#pragma once
// Sample level texts for the reader and writer tests, built line by line so that each
// test shows which line ends, lengths and bytes it is about.

#include "core/LevelGrid.h"

#include <string>
#include <string_view>
#include <vector>

namespace qorv::test {

// "0".."9" read as tiles 0..9 and "A".."Z" as tiles 10..35.
inline constexpr std::string_view DigitsAndCapitals = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Row y of the sample level: cell x holds tile (x + y) mod 36, so no two rows are alike.
inline std::string sampleRow(int y) {
    std::string row;
    for (int x = 0; x < GridWidth; ++x)
        row += DigitsAndCapitals[(x + y) % 36];
    return row;
}

inline std::vector<std::string> sampleRows(int count = GridHeight) {
    std::vector<std::string> rows;
    for (int y = 0; y < count; ++y)
        rows.push_back(sampleRow(y));
    return rows;
}

inline LevelGrid sampleGrid() {
    LevelGrid grid;
    for (int x = 0; x < GridWidth; ++x)
        for (int y = 0; y < GridHeight; ++y)
            grid.at(x, y) = static_cast<TileIndex>((x + y) % 36);
    return grid;
}

// The lines joined, each followed by `lineEnd`; the last one only when `endLast`.
inline std::string joinLines(const std::vector<std::string>& lines,
                             std::string_view lineEnd = "\r\n", bool endLast = true) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || endLast) text += lineEnd;
    }
    return text;
}

// A grid that differs from every sample, to show that a failed read left it alone.
inline LevelGrid untouchedGrid() {
    LevelGrid grid;
    for (int i = 0; i < GridCells; ++i)
        grid.cells[i] = static_cast<TileIndex>(200 + i % 7);
    return grid;
}

} // namespace qorv::test
