#include "core/Selection.h"

#include "core/LevelGrid.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qorv {

namespace {

// The outline of a corner far outside the grid must not overflow: pixel positions are
// worked out in 64 bits and saturated to int, where they lie beyond any raster anyway.
int saturate(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

int gridLineOf(int pixel) {
    // Exact integers instead of floating point: floor division, then round half to even.
    int q = pixel / 10;
    int r = pixel % 10;
    if (r < 0) {
        q -= 1;
        r += 10;
    }
    if (r > 5 || (r == 5 && q % 2 != 0)) return q + 1;
    return q;
}

int cellOf(int pixel) {
    return pixel / 10;
}

bool PointInRect(int x, int y, int left, int top, int right, int bottom) {
    return left <= x && x <= right && top <= y && y <= bottom;
}

Selection selectall() {
    return Selection{1, 1, 63, 44, false};
}

bool covers(const Selection& sel, int x, int y) {
    // x <= SelX2 - 1 written as x < SelX2, so that no corner value can overflow.
    return sel.SelX1 <= x && x < sel.SelX2 && sel.SelY1 <= y && y < sel.SelY2;
}

PixelRect outlineRect(const Selection& sel) {
    const std::int64_t minX = std::min(sel.SelX1, sel.SelX2);
    const std::int64_t maxX = std::max(sel.SelX1, sel.SelX2);
    const std::int64_t minY = std::min(sel.SelY1, sel.SelY2);
    const std::int64_t maxY = std::max(sel.SelY1, sel.SelY2);
    return PixelRect{saturate(minX * CellSize - 1), saturate(minY * CellSize - 1),
                     saturate(maxX * CellSize + 1), saturate(maxY * CellSize + 1)};
}

std::string sizeText(const Selection& sel) {
    const long long w = std::llabs(static_cast<long long>(sel.SelX1) - sel.SelX2);
    const long long h = std::llabs(static_cast<long long>(sel.SelY1) - sel.SelY2);
    char text[64];
    std::snprintf(text, sizeof text, "(%lld x %lld)", w, h);
    return text;
}

void startSelection(Selection& sel, int px, int py) {
    sel.SelectionShown = false;
    sel.SelX1 = gridLineOf(px);
    sel.SelY1 = gridLineOf(py);
    sel.SelX2 = sel.SelX1;
    sel.SelY2 = sel.SelY1;
}

void dragSelection(Selection& sel, int px, int py) {
    sel.SelX2 = gridLineOf(px);
    sel.SelY2 = gridLineOf(py);
    // The order matters only for its plain reading; the bounds never conflict.
    if (sel.SelX2 < 1) sel.SelX2 = 1;
    if (sel.SelY2 < 1) sel.SelY2 = 1;
    if (sel.SelX2 > GridWidth - 1) sel.SelX2 = GridWidth - 1;
    if (sel.SelY2 > GridHeight - 1) sel.SelY2 = GridHeight - 1;
}

bool selectionHasArea(const Selection& sel) {
    return sel.SelX1 != sel.SelX2 && sel.SelY1 != sel.SelY2;
}

} // namespace qorv
