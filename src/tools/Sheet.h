#pragma once
// --sheet OUT.png LEVEL... [--columns N] [--scale N]: every level of a set on one picture.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// The largest --columns and --scale (a place of at least one pixel row), as the parser checks them.
inline constexpr int MostSheetColumns = 100000;
inline constexpr int MostSheetScale = 450;

// Each level is drawn as --render draws it, made `scale` times smaller with exact pixels
// (pixel (x, y) of its place is pixel (x * scale, y * scale) of the level's picture: a place
// of 640 / scale by 450 / scale pixels, rounded down), its name under it, in a grid of
// `columns` (default: the square root of the count, rounded up) on white, 8 pixels between
// and around the places. A level that cannot be read or drawn is reported and its place left
// white; returns 1 then, 0 when every level was drawn. Nothing is written when none was.
int runSheet(const Invocation& invocation, Console& console);

} // namespace app
