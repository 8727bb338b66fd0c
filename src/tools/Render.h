#pragma once
// --render LEVEL OUT and --render LEVEL... --out-dir DIR: one route that draws each level
// into its picture, one level or many in one run.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// Draws every level of the invocation with its tile sheet (each sheet loaded once) into OUT
// (standard output for "-"), or into DIR/NAME.png (NAME: its file name without its
// extension). A level that cannot be read, drawn or written is reported on standard error, in
// the words every mode uses, and the others are still drawn. Throws EditorError, before
// anything is drawn, when two levels have one NAME or DIR cannot be
// made or used (prepareOutputFolder). Returns 0 when every
// level was drawn, 1 otherwise.
int runRender(const Invocation& invocation, Console& console);

} // namespace app
