#pragma once
// --render LEVEL... --out-dir DIR: many levels drawn in one run, each into DIR/NAME.png.

#include "app/Console.h"

#include <QString>
#include <QStringList>

namespace app {

// Draws every level into `folder`/NAME.png (NAME: its file name without its extension),
// with the sheet `tiles`, or "all.bmp" beside each level when it is empty; each sheet is
// loaded once. A level that cannot be read or drawn is reported as --check
// reports it ("<level>: <message>", on standard error) and the others are still drawn. Throws
// EditorError, before anything is drawn, when two levels have one NAME or the folder does not
// exist. Returns whether every level was drawn.
bool renderLevelsIntoFolder(const QStringList& levels, const QString& tiles, const QString& folder,
                            Console& console);

} // namespace app
