#pragma once
// --resolve: levels a merge left in conflict, each conflict resolved one way, for scripts.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --resolve ours|theirs|base LEVEL...: each level with conflict markers is saved through the
// safe replacement with every conflicting cell taken from that side and every other change of
// either side kept; a level without markers is not touched. Another side, or standard input as
// a level, is refused with status 2 before any level is read; a level that cannot be read,
// has no base for "base" or cannot be written is reported on standard error, the others are
// still done, and the status is 1.
int runResolve(const Invocation& invocation, Console& console);

} // namespace app
