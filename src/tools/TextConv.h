#pragma once
// --textconv: a level as text, one line a cell, for git's diff.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --textconv LEVEL: "X,Y: TILE" per cell on standard output. 0, or 1 when the level cannot be read.
int runTextConv(const Invocation& invocation, Console& console);

} // namespace app
