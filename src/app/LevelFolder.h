#pragma once
// Starting the editor on a level: it works in the level's folder, so that the tile sheet
// "all.bmp" and the browser's levels are the level's neighbours.

#include <QString>

namespace app {

// Makes the folder of `level` the working directory, before any window loads the tile
// sheet, and returns the level's absolute path for opening it there. A folder that does
// not exist leaves the working directory as it was; opening the level then reports it.
QString enterFolderOf(const QString& level);

} // namespace app
