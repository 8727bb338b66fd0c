#pragma once
// The editing raster as assistive technology reads it: a table of 45 rows and 64 columns
// whose cells are named "column X, row Y: tile T", with the cell under the keyboard's cell
// cursor as its focused cell. What the keys do is announced on that cell: a move moves the
// focus, a stamp renames the cell, and the other results (a pick, the selection's size) are
// said as the cell's description, each change raising the event AT-SPI relays.

class QAccessibleInterface;
class QString;
class QWidget;
class TMainForm;

namespace ui {

// The accessible table of `raster`, the main window's `Image`.
QAccessibleInterface* makeLevelTable(QWidget* raster);

// The cell's name: "column 5, row 3: tile 2".
QString cellName(int x, int y, int tile);

// After the cursor moved: its cell takes the focus.
void announceCursorCell(TMainForm& form);
// After the cursor's cell changed its tile: its new name.
void announceCursorName(TMainForm& form);
// `text` said on the cursor's cell, as its description.
void announce(TMainForm& form, const QString& text);

} // namespace ui
