#pragma once
// --find-tile: where a set of levels uses a tile, as grep(1) reports its matches, so that
// editors jump to the cells.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --find-tile N[,M...] LEVEL...: one line "FILE:LINE:COL: tile N" per cell holding one of the
// tiles, in the levels' order and within a level by line and column. As grep(1): 0 when a cell
// was found, 1 when none was, 2 for tiles that are no whole numbers 0 to 255 (nothing is read)
// or a level that cannot be read (reported on standard error; the others are still searched).
int runFindTile(const Invocation& invocation, Console& console);

} // namespace app
