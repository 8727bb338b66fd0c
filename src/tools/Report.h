#pragma once
// --report DIR LEVEL...: a web page of a set of levels, DIR/index.html, with each level's
// picture beside it and its thumbnail within it.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// Makes DIR as every output folder is made (prepareOutputFolder), draws each level into
// DIR/NAME.png and, four times smaller with exact pixels, into a thumbnail the page holds (a data:
// URL), and writes DIR/index.html last. NAME is the level's file name without its extension, every
// character but ASCII letters, digits, "-", "_" and an inner "." made "_", and "-2", "-3"...
// added where two levels would share one. Returns 1 when a level could not be read, drawn or
// written (reported, and on the page), 0 otherwise; a level that breaks its rules is on the page
// and no failure of the run.
int runReport(const Invocation& invocation, Console& console);

} // namespace app
