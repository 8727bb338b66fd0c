#pragma once
// The headless level tools: checking levels and drawing one into a PNG, with the editor's
// own reader, tile sheet loader and cell copy, and no window or display at all.

#include "app/Console.h"

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

// The level drawn as the editor's raster shows it right after opening it: 640 x 450,
// 24 bits, every cell copied from the sheet, no selection outline. Throws EditorError
// with the reader's or the sheet loader's message.
QImage renderLevel(const QString& level, const QString& sheet);

// renderLevel written as a PNG file, never over an input or into anything but a regular
// file. Throws EditorError when it cannot be written; an earlier picture then stays.
void renderLevelToPng(const QString& level, const QString& sheet, const QString& png);

} // namespace app
