#pragma once
// The headless modes that came with map interchange: many levels rendered at once, and
// levels exported to and imported from Tiled maps.

#include "app/CommandLine.h"
#include "app/Console.h"

namespace app {

// Runs a RenderMany, Export or Import invocation; returns the exit status (0 or 1).
int runMapTool(const Invocation& invocation, Console& console);

} // namespace app
