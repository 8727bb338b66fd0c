#include "core/CellCursor.h"

#include <algorithm>

namespace qorv {

namespace {

CellCursor clamped(CellCursor at) {
    return {std::clamp(at.x, 0, GridWidth - 1), std::clamp(at.y, 0, GridHeight - 1)};
}

bool inGrid(int x, int y) {
    return x >= 0 && x < GridWidth && y >= 0 && y < GridHeight;
}

// From `from`, cell by cell by (dx, dy): the first cell whose tile differs from the tile
// at `from`, else the last cell inside the grid.
CellCursor nextRun(const LevelGrid& map, CellCursor from, int dx, int dy) {
    const TileIndex tile = map.at(from.x, from.y);
    CellCursor at = from;
    while (inGrid(at.x + dx, at.y + dy)) {
        at = {at.x + dx, at.y + dy};
        if (map.at(at.x, at.y) != tile) break;
    }
    return at;
}

} // namespace

CellCursor moveCursor(const LevelGrid& map, CellCursor from, CursorStep step) {
    const CellCursor at = clamped(from);
    switch (step) {
    case CursorStep::Left:
        return clamped({at.x - 1, at.y});
    case CursorStep::Right:
        return clamped({at.x + 1, at.y});
    case CursorStep::Up:
        return clamped({at.x, at.y - 1});
    case CursorStep::Down:
        return clamped({at.x, at.y + 1});
    case CursorStep::RowStart:
        return {0, at.y};
    case CursorStep::RowEnd:
        return {GridWidth - 1, at.y};
    case CursorStep::PageUp:
        return clamped({at.x, at.y - CursorPageRows});
    case CursorStep::PageDown:
        return clamped({at.x, at.y + CursorPageRows});
    case CursorStep::GridStart:
        return {0, 0};
    case CursorStep::GridEnd:
        return {GridWidth - 1, GridHeight - 1};
    case CursorStep::RunLeft:
        return nextRun(map, at, -1, 0);
    case CursorStep::RunRight:
        return nextRun(map, at, 1, 0);
    case CursorStep::RunUp:
        return nextRun(map, at, 0, -1);
    case CursorStep::RunDown:
        return nextRun(map, at, 0, 1);
    }
    return at;
}

std::optional<Selection> selectionBetween(CellCursor anchor, CellCursor cursor) {
    const int left = std::max(std::min(anchor.x, cursor.x), 1);
    const int right = std::min(std::max(anchor.x, cursor.x), GridWidth - 2);
    const int top = std::max(std::min(anchor.y, cursor.y), 1);
    const int bottom = std::min(std::max(anchor.y, cursor.y), GridHeight - 2);
    if (left > right || top > bottom) return std::nullopt;
    return Selection{left, top, right + 1, bottom + 1, true};
}

} // namespace qorv
