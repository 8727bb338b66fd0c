#pragma once
// --merge: the three-way merge of levels that git calls as its merge driver.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --merge BASE OURS THEIRS -o OUT [--conflicts PNG]: OUT is always a whole level (standard
// output for "-"); one line
// "X,Y: base B, ours O, theirs T" per conflict on standard error. 0 merged, 1 with conflicts, 2 on
// trouble (OUT untouched when an input cannot be read).
int runMerge(const Invocation& invocation, Console& console);

} // namespace app
