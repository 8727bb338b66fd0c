#include "core/LevelDiff.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace qorv {

std::vector<CellChange> diffLevels(const LevelGrid& from, const LevelGrid& to) {
    // The grids are stored column by column and the changes are listed row by row. One pass
    // in storage order, eight cells at a time, marks each changed cell with a bit of its row
    // (a row's 64 cells fit one word); the changes are then read from the marks in reading
    // order. Unchanged stretches, most of a level, cost one comparison per eight cells.
    static_assert(GridWidth == 64, "one word of marks per row");
    static_assert(GridCells % 8 == 0, "whole words of cells");
    static_assert(std::endian::native == std::endian::little, "the first cell in the low byte");
    std::array<std::uint64_t, GridHeight> changedInRow{};
    std::size_t count = 0;
    for (int word = 0; word < GridCells; word += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, from.cells.data() + word, 8);
        std::memcpy(&b, to.cells.data() + word, 8);
        // Each differing byte of the eight, lowest (the first cell) first.
        for (std::uint64_t differ = a ^ b; differ != 0; ++count) {
            const int byte = std::countr_zero(differ) / 8;
            const int cell = word + byte;
            changedInRow[std::size_t(cell % GridHeight)] |= std::uint64_t{1} << (cell / GridHeight);
            differ &= ~(std::uint64_t{0xFF} << (byte * 8));
        }
    }
    std::vector<CellChange> changes;
    changes.reserve(count);
    for (int y = 0; y < GridHeight; ++y) {
        for (std::uint64_t marks = changedInRow[std::size_t(y)]; marks != 0; marks &= marks - 1) {
            const int x = std::countr_zero(marks);
            changes.push_back({x, y, from.at(x, y), to.at(x, y)});
        }
    }
    return changes;
}

} // namespace qorv
