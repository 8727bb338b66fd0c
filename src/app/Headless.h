#pragma once
// Runs what needs no window: the help and version texts, argument errors, and the level
// tools. The caller decides this before any application object or display exists.

#include "app/CommandLine.h"

namespace app {

// Whether the invocation runs without windows.
bool runsHeadless(const Invocation& invocation);

// Runs it and returns the exit status: 0 on success, 1 when a level failed or levels
// differ, 2 for wrong arguments (and trouble comparing levels).
int runHeadless(const Invocation& invocation);

} // namespace app
