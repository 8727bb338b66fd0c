#pragma once
// --diff: the cell diff of two levels (with a picture of the changes), or of two folders of
// levels by name.

#include "core/LevelDiff.h"
#include "tools/Console.h"
#include "tools/Invocation.h"

#include <string>
#include <vector>

namespace app {

// --diff A B [--png OUT.png]: "X,Y: OLD -> NEW" per changed cell on standard output. As diff(1): 0
// when the levels are the same, 1 when they differ, 2 on trouble (the reason on standard error).
int runDiff(const Invocation& invocation, Console& console);

// The lines --diff prints for `changes`: "X,Y: OLD -> NEW" each.
std::string changeLines(const std::vector<qorv::CellChange>& changes);

} // namespace app
