#pragma once
// The keyboard's cell cursor: one cell of the grid that the arrow keys move, as a
// spreadsheet's, and the selection that Shift with those keys spans from where it began.

#include "core/LevelGrid.h"
#include "core/Selection.h"

#include <cstdint>
#include <optional>

namespace qorv {

struct CellCursor {
    int x = 0;
    int y = 0;
    bool operator==(const CellCursor&) const = default;
};

// One press of a movement key. A page is `CursorPageRows` rows; a run step goes to the next
// cell in its direction whose tile differs from the cursor's (the next wall after floor,
// the next floor after wall), or to the grid's last cell in that direction when none does.
enum class CursorStep : std::uint8_t {
    Left,
    Right,
    Up,
    Down,
    RowStart, // column 0 of the row
    RowEnd,   // column 63 of the row
    PageUp,
    PageDown,
    GridStart, // cell (0, 0)
    GridEnd,   // cell (63, 44)
    RunLeft,
    RunRight,
    RunUp,
    RunDown,
};

inline constexpr int CursorPageRows = 10;

// Where `step` takes the cursor on `map`; it never leaves the grid. A cursor outside the
// grid is first brought into it.
CellCursor moveCursor(const LevelGrid& map, CellCursor from, CursorStep step);

// The shown selection covering the cells from `anchor` to `cursor` (both included, in any
// order), cut to the interior so that no edit it bounds reaches the border; nothing when
// the two cells span no interior cell.
std::optional<Selection> selectionBetween(CellCursor anchor, CellCursor cursor);

} // namespace qorv
