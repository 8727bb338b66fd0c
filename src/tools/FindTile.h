#pragma once
// --find-tile: where a set of levels uses a tile, as grep(1) reports its matches, so that
// editors jump to the cells.

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <bitset>
#include <optional>
#include <string_view>

namespace app {

// The tiles of "N[,M...]": whole numbers 0 to 255, blanks around each allowed; nothing when
// any part is no such number. The parser refuses such a list (cli/ValueChecks.h).
std::optional<std::bitset<256>> tilesIn(std::string_view list);

// --find-tile N[,M...] LEVEL...: one line "FILE:LINE:COL: tile N" per cell holding one of the
// tiles, in the levels' order and within a level by line and column. As grep(1): 0 when a cell
// was found, 1 when none was, 2 for a level that cannot be read (reported on standard error; the
// others are still searched).
int runFindTile(const Invocation& invocation, Console& console);

} // namespace app
