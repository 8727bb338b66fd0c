#pragma once
// The level tools for version control: the cell diff of two levels (with a picture of the
// changes), a level as text for git's diff, and the three-way merge git calls as its driver.
// Each returns its exit status, or throws the failure that ends it (which the dispatch turns
// into 2, as diff(1) does, and 1 for --textconv).

#include "app/Console.h"
#include "app/Invocation.h"
#include "core/LevelDiff.h"

#include <string>
#include <vector>

namespace app {

// --diff A B [--png OUT.png]: "X,Y: OLD -> NEW" per changed cell on standard output. As diff(1): 0
// when the levels are the same, 1 when they differ, 2 on trouble (the reason on standard error).
int runDiff(const Invocation& invocation, Console& console);

// The lines --diff prints for `changes`: "X,Y: OLD -> NEW" each.
std::string changeLines(const std::vector<qorv::CellChange>& changes);

// --textconv LEVEL: "X,Y: TILE" per cell on standard output. 0, or 1 when the level cannot be read.
int runTextConv(const Invocation& invocation, Console& console);

// --merge BASE OURS THEIRS -o OUT [--conflicts PNG]: OUT is always a whole level (standard
// output for "-"); one line
// "X,Y: base B, ours O, theirs T" per conflict on standard error. 0 merged, 1 with conflicts, 2 on
// trouble (OUT untouched when an input cannot be read).
int runMerge(const Invocation& invocation, Console& console);

} // namespace app
