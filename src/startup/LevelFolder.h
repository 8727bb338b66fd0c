#pragma once
// Starting the editor on a level: it works in the level's folder when that folder holds
// the tile sheet "all.bmp", so that the sheet and the browser's levels are the level's
// neighbours; a level alone in its folder leaves the working directory, and its tile
// sheet, as they were.

#include <QString>

namespace app {

// Makes the folder of `level` the working directory when it holds "all.bmp", before any
// window loads the tile sheet, and returns the level's absolute path for opening it
// wherever the program then works. Opening the level reports a missing folder or file.
QString enterFolderOf(const QString& level);

} // namespace app
