#pragma once
// --diff OLD NEW with two folders: the levels added, removed and changed by name.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// One line per level that differs, in the byte order of the names: "added NAME", "removed
// NAME", "changed NAME: N cells" (NAME quoted as messages quote names), then "N unchanged".
// As diff(1): 0 when no level differs, 1 when one does; a file and a folder, or --png, are
// wrong arguments (2), and a folder or level that cannot be read is trouble (2).
int runFolderDiff(const Invocation& invocation, Console& console);

// "2 cells", "1 cell".
std::string cellCount(std::size_t cells);

} // namespace app
