#pragma once
// --stats: how often a set of levels uses each tile, and which tiles of its sheet it never
// uses.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --stats LEVEL... [--format csv|json] [--tiles SHEET.bmp]: the counts of every level that
// reads, their totals and the unused tiles of the sheets the levels are drawn with (without
// any sheet, of the tiles a level file can hold), as CSV or one JSON document
// (docs/command-line.md). A level that cannot be read is reported on standard error and left
// out; the status is then 1. Throws EditorError, before anything is printed, for a sheet that
// cannot be loaded.
int runStats(const Invocation& invocation, Console& console);

} // namespace app
