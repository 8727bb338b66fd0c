#pragma once
// Runs what needs no window: a mode of the table, or the report of wrong arguments. The
// caller decides this before any application object or display exists.

#include "tools/Invocation.h"

namespace app {

class Console;

// Whether the invocation runs without windows.
bool runsHeadless(const Invocation& invocation);

// Runs it and returns the exit status, the one place where a failure becomes one: 0 done, 1 a
// level failed or levels differ, 2 wrong arguments; a failure the mode's handler throws, and
// output that never arrived, end with the statuses of the mode's row.
int runHeadless(const Invocation& invocation);

// The same on a console of the caller's; finishes it.
int runHeadless(const Invocation& invocation, Console& console);

} // namespace app
