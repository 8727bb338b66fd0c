#pragma once
// The selection rectangle that bounds every edit, in grid-line coordinates.

#include <string>

namespace qorv {

// Corners are grid lines: vertical line n runs along pixel column n * 10. The
// selection covers columns SelX1 .. SelX2 - 1 and rows SelY1 .. SelY2 - 1; the corners
// are never put into order, so a selection dragged leftward or upward covers nothing.
struct Selection {
    int SelX1 = 1;
    int SelY1 = 1;
    int SelX2 = 63;
    int SelY2 = 44;
    bool SelectionShown = false;

    bool operator==(const Selection&) const = default;
};

// An inclusive block of cells.
struct CellBox {
    int x1, y1, x2, y2;
    bool operator==(const CellBox&) const = default;
};

// A pixel rectangle, right and bottom exclusive.
struct PixelRect {
    int left, top, right, bottom;
    bool operator==(const PixelRect&) const = default;
};

// The grid line nearest to pixel p: p / 10.0 rounded to nearest, ties to even.
int gridLineOf(int pixel);

// The cell under pixel p: division by 10 truncating toward zero (-9..-1 give 0).
int cellOf(int pixel);

// Both edges included on every side; an inverted rectangle contains nothing.
bool PointInRect(int x, int y, int left, int top, int right, int bottom);

// The reset selection: the whole interior, nothing shown.
Selection selectall();

// Whether a cell lies in the covered columns and rows.
bool covers(const Selection& sel, int x, int y);

// The focus rectangle of the outline: the pixel lines just outside the covered
// cells, for the mirrored rectangle when the corners are reversed.
PixelRect outlineRect(const Selection& sel);

// "(w x h)" with the absolute distances between the corners.
std::string sizeText(const Selection& sel);

// The three steps of a drag with the Select tool. The caller erases and draws the
// outline around them (it is XOR-drawn, so the order of those calls matters).
void startSelection(Selection& sel, int px, int py);  // start corner, not clamped
void dragSelection(Selection& sel, int px, int py);   // end corner, clamped to 1..63 x 1..44
bool selectionHasArea(const Selection& sel);          // false: finishing drops it

} // namespace qorv
