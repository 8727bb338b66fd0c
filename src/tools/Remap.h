#pragma once
// --remap: one tile replaced by another across a set of levels.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --remap TABLE LEVEL... [--dry-run]: each level that the table changes is saved through the
// safe replacement, and one that it leaves as it was is not touched; a file named twice is
// remapped once. With --dry-run, each level that would change is named ("FILE:") followed by
// its changed cells as --diff prints them, and nothing is written. A file of pairs that cannot
// be used (RemapTable.h) is refused with status 2 before any level is read (the parser refuses
// a wrong TABLE given itself, and standard input as a level); a level that cannot be read or
// written is reported on standard error, the others are still done, and the status is 1.
int runRemap(const Invocation& invocation, Console& console);

} // namespace app
