#pragma once
// The headless level tools: checking levels and drawing one into an image, with the editor's
// own reader, tile sheet loader and cell copy, and no window or display at all.

#include "app/Console.h"
#include "core/LevelGrid.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace app {

// Reads every level and prints "<name>: <message>" for each one that fails, in the order
// given, the name quoted when it holds control characters. Returns whether all were read.
// Never writes a file.
bool checkLevels(const QStringList& levels, Console& console);

// The tile sheet --render uses when none is named: "all.bmp" in the level's folder.
QString defaultSheetFor(const QString& level);

// The tile sheet in the file `sheet`. Throws EditorError with the loader's messages, the
// sheet's name quoted like every other name in messages.
QImage loadSheet(const QString& sheet);

// The level in the file `level`. Throws EditorError "<level>: <the reader's message>".
qorv::LevelGrid readLevel(const QString& level);

// The level as the editor's raster shows it right after opening it: 640 x 450, 24 bits,
// every cell copied from the sheet, no selection outline.
QImage drawLevel(const qorv::LevelGrid& grid, const QImage& sheet);

// The level in the file drawn with the sheet in the file. Throws EditorError with the
// reader's or the sheet loader's message.
QImage renderLevel(const QString& level, const QString& sheet);

// renderLevel written in the image format that `out`'s extension names (PNG when it has
// none), never over an input or into anything but a regular file. Throws EditorError
// when it cannot be written; an earlier picture then stays.
void renderLevelToImage(const QString& level, const QString& sheet, const QString& out);

} // namespace app
