#include "core/Brush.h"

#include <algorithm>
#include <cstdint>

namespace qorv {

namespace {

// An inclusive range of columns or rows; empty when first > last.
struct Span {
    std::int64_t first, last;
};

Span intersect(Span a, Span b) {
    return {std::max(a.first, b.first), std::min(a.last, b.last)};
}

// Grows the box of written cells by one cell.
void extend(std::optional<CellBox>& box, int i, int j) {
    if (!box) {
        box = CellBox{i, j, i, j};
        return;
    }
    box->x1 = std::min(box->x1, i);
    box->y1 = std::min(box->y1, j);
    box->x2 = std::max(box->x2, i);
    box->y2 = std::max(box->y2, j);
}

// The columns (or rows) covered by a selection, from its two corners.
Span coveredSpan(int first, int endExclusive) {
    return {first, static_cast<std::int64_t>(endExclusive) - 1};
}

} // namespace

std::optional<CellBox> applybrush(LevelGrid& map, const Selection& sel, int x, int y, int size,
                                  TileIndex tile) {
    std::optional<CellBox> written;
    if (size <= 0) return written;

    // A disc of diameter `size` reaches at most size div 2 cells from its centre, so only
    // the cells of that square that are interior and covered can be written. Limiting the
    // search to them keeps huge sizes and far-away centres as cheap as a small stamp.
    const std::int64_t reach = size / 2;
    const Span columns = intersect(intersect({x - reach, x + reach}, {1, GridWidth - 2}),
                                   coveredSpan(sel.SelX1, sel.SelX2));
    const Span rows = intersect(intersect({y - reach, y + reach}, {1, GridHeight - 2}),
                                coveredSpan(sel.SelY1, sel.SelY2));

    // |dx| and |dy| are at most reach < 2^30, so 4 * (dx^2 + dy^2) < 2^63 and size^2 < 2^62:
    // the exact test fits in 64 bits.
    const std::uint64_t limit = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(size);
    for (std::int64_t i = columns.first; i <= columns.last; ++i) {
        for (std::int64_t j = rows.first; j <= rows.last; ++j) {
            const auto dx = static_cast<std::uint64_t>(i > x ? i - x : x - i);
            const auto dy = static_cast<std::uint64_t>(j > y ? j - y : y - j);
            if (4 * (dx * dx + dy * dy) > limit) continue;
            map.at(static_cast<int>(i), static_cast<int>(j)) = tile;
            extend(written, static_cast<int>(i), static_cast<int>(j));
        }
    }
    return written;
}

std::optional<CellBox> fillSelection(LevelGrid& map, const Selection& sel, TileIndex tile) {
    // A selection's covered cells always lie in the grid; cutting to the grid anyway means
    // that no corner values, however they came about, can write outside the level.
    const Span columns = intersect(coveredSpan(sel.SelX1, sel.SelX2), {0, GridWidth - 1});
    const Span rows = intersect(coveredSpan(sel.SelY1, sel.SelY2), {0, GridHeight - 1});
    if (columns.first > columns.last || rows.first > rows.last) return std::nullopt;

    for (auto i = static_cast<int>(columns.first); i <= columns.last; ++i) {
        for (auto j = static_cast<int>(rows.first); j <= rows.last; ++j)
            map.at(i, j) = tile;
    }
    return CellBox{static_cast<int>(columns.first), static_cast<int>(rows.first),
                   static_cast<int>(columns.last), static_cast<int>(rows.last)};
}

void pickTile(const LevelGrid& map, int cx, int cy, bool leftButton, TileIndex& fore,
              TileIndex& back) {
    // A press always lies over the grid; anything else is ignored rather than read out of
    // bounds.
    if (cx < 0 || cx >= GridWidth || cy < 0 || cy >= GridHeight) return;
    (leftButton ? fore : back) = map.at(cx, cy);
}

} // namespace qorv
