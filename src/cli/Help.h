#pragma once
// --help: the program's help, made from the table of modes.

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <QString>

namespace app {

// The text of --help.
QString helpText();

int printHelp(const Invocation& invocation, Console& console);

} // namespace app
