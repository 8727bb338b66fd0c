#pragma once
// Drawing a level into a 24-bit raster, one tile copy per cell.

#include "core/LevelGrid.h"
#include "core/Selection.h"

#include <QImage>
#include <QRect>

namespace qorv {

inline constexpr int RasterWidth = GridWidth * CellSize;   // 640
inline constexpr int RasterHeight = GridHeight * CellSize; // 450

// The colour drawn for pixels of a tile that lie outside the loaded sheet.
inline constexpr QRgb MissingTileColour = qRgb(255, 0, 255);

// A black 640 x 450 raster in QImage::Format_RGB888.
QImage makeRaster();

// Copies tile grid(x, y) from `sheet` (Format_RGB888, possibly empty or small) to
// cell (x, y) of `raster`. Pixels outside the sheet get MissingTileColour.
void copyCell(const LevelGrid& grid, const QImage& sheet, QImage& raster, int x, int y);

// Copies the inclusive block of cells row by row; nothing when x2 < x1 or y2 < y1.
// Returns the pixel rectangle drawn (empty when nothing was drawn).
QRect drawRECT(const LevelGrid& grid, const QImage& sheet, QImage& raster, int x1, int y1, int x2,
               int y2);

// All 2,880 cells.
QRect drawAllCells(const LevelGrid& grid, const QImage& sheet, QImage& raster);

// The dotted one-pixel frame of `rect` (right and bottom exclusive) drawn by XOR, so
// a second identical call restores every pixel. Clipped to the raster. Returns the
// pixel area touched, for the screen update.
QRect drawFocusRect(QImage& raster, const PixelRect& rect);

// Stretches tile `tile` of `sheet` onto `dest` (0,0)-(w,h) exclusive, as the swatches do.
void stretchTile(const QImage& sheet, int tile, QImage& dest, int width, int height);

} // namespace qorv
